#!/usr/bin/python
# -*- coding: utf-8 -*-
# SPDX-License-Identifier: GPL-3.0-or-later
# GNU General Public License v3.0+ (see ansible/LICENSE or https://www.gnu.org/licenses/gpl-3.0.txt)

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
---
module: vireo4_settings
short_description: Set the settings of the Vireo-4 card readers attached to a host
version_added: 1.0.0
description:
  - Brings the Vireo-4 readers on the managed host (Vireo-4KRU, Vireo-4KRM on serial lines,
    Vireo-4-USB) to the settings given, with the command-line tool C(vireo4) that runs on the
    host (C(vireo4 apply --json)).
  - Each reader takes the settings of its family, C(kru-krm) or C(usb), given either in
    I(settings) or in a profile file (I(profile)). A reader of a family that is not given is left
    alone (status C(skipped)).
  - The module first reads every reader and compares (C(vireo4 apply --dry-run)); it then writes
    only the readers whose settings differ, and only the settings that differ. C(vireo4) reads
    each written reader back; C(changed) is its verdict.
  - Bad input fails the task before anything is written to any reader, with the message of
    C(vireo4), whether it is an unknown setting name, a value the setting does not have, a name
    of the other family, or a value the reader's firmware does not allow (for example
    C(interface=wiegand-58) on a Vireo-4KRU).
  - A reader whose write is refused, fails, or is sent but never confirmed (status
    C(unconfirmed)) fails the task with the message of C(vireo4) for that reader; the other
    readers of the host are still written and reported in I(readers). The message tells each
    reader's fate and changes, since Ansible shows no diff for a failed task, and C(changed) is
    true when any reader was written.
  - An exit code of C(vireo4) that contradicts its JSON fails the task; it is returned as I(rc).
  - In check mode nothing is sent to any reader but the queries that read its settings.
  - With C(--diff), each reader's settings are shown before and after, one block per reader.
  - Linux hosts. For Windows hosts see the collection's README.
author:
  - VireoTool-4 maintainers (@vireotool4)
requirements:
  - C(vireo4) on the managed host (Debian package C(vireo4)), version 2.0.0 or later
  - The remote user may open the readers' ports (group C(dialout) on Debian)
options:
  port:
    description:
      - The readers to set, by port. Each item is a device path (C(/dev/ttyUSB0),
        C(/dev/vireo4-usb)), a name under C(/dev) (C(ttyUSB0)) or a glob
        (C(/dev/ttyUSB*)) that C(vireo4) expands on the host.
      - Left out, every serial port of the host is probed and every reader found is set.
      - A port named without a glob that has no reader fails the task, and so does a glob that
        matches no port; a host on which no reader is found at all fails too.
    type: list
    elements: str
    aliases: [ports]
  settings:
    description:
      - The wanted settings per reader family, C(kru-krm) and C(usb), each a dictionary of
        setting names and values as C(vireo4 read) shows them (C(man vireo4) lists them).
      - C(kru-krm) takes C(interface), C(indication), C(standby), C(touch-poll); C(usb) takes
        C(mode), C(format), C(type), C(bytes), C(cards).
      - Settings left out keep the reader's value. YAML reads an unquoted C(on) or C(off) as a
        boolean and C(4) as a number; the module takes them back as the words C(on), C(off), C(4).
      - Exactly one of I(settings), I(profile) and I(profile_content) is given.
    type: dict
  profile:
    description:
      - A profile file on the controller (INI sections C([kru-krm]) and C([usb]), as
        C(vireo4 read PORT --profile) prints it). It is searched like a C(copy) source, in the
        role's or playbook's C(files/) folder first, read on the controller and sent to the host
        with the module's arguments; nothing is left on the host.
      - Errors in it are reported as C(vireo4) reports them, with the file's name and line.
    type: path
  profile_content:
    description:
      - The text of a profile, given inline instead of a file.
      - Filled in from I(profile) on the controller; give it yourself only instead of I(profile).
    type: str
  profile_base64:
    description:
      - The bytes of a profile file that is not UTF-8 (for example UTF-16, or a comment in
        another encoding), base64-encoded. Filled in from I(profile) by the action plugin; the
        bytes are written unchanged for C(vireo4) to read.
    type: str
  expect:
    description:
      - The readers the host must have, so that a reader unplugged or replaced by one of another
        family does not pass unnoticed. Either the number of readers that must take the settings,
        or a list of ports (C(/dev/ttyUSB0), or a name under C(/dev)) whose readers must.
      - A reader counts when it was found and is of a family the settings name (not C(skipped)).
        When fewer do, the task fails after the readers found were set, naming the missing ones.
      - Left out, readers that are C(skipped) only give a warning, and so does a host whose
        readers were all skipped.
    type: raw
  backup:
    description:
      - Before a reader is written, keep its settings as a profile on the controller, one file
        per reader written, C(BACKUP_DIR/INVENTORY_HOSTNAME/PORT.TIMESTAMP.ini), which
        I(profile) takes back. Nothing is saved in check mode or for a reader left unchanged.
      - The settings are those the first pass read, before any write; when the backup folder
        cannot be made, nothing is written.
    type: bool
    default: false
  backup_dir:
    description:
      - The folder on the controller for I(backup); a relative path is taken from the playbook's
        folder. Left out, C(backups) beside the playbook.
    type: path
extends_documentation_fragment:
  - vireo.readers.vireo4
  - ansible.builtin.action_common_attributes
  - ansible.builtin.action_common_attributes.flow
attributes:
  action:
    support: full
    details: The action plugin reads I(profile) on the controller.
  async:
    support: none
  bypass_host_loop:
    support: none
  check_mode:
    support: full
    details: C(vireo4 apply --dry-run); the readers are queried, nothing is written.
  diff_mode:
    support: full
  platform:
    platforms: posix
notes:
  - A port held open by another program (for example the VireoTool-4 window) is busy for
    C(vireo4); that reader fails the task with status C(busy).
  - All readers of a host are probed and written in parallel by one C(vireo4) run; a host whose
    readers are all set already costs one C(vireo4) run.
  - C(man vireo4) on the host lists every setting, value and firmware rule.
seealso:
  - module: vireo.readers.vireo4_info
'''

EXAMPLES = r'''
- name: Wiegand 26 without touch button polling on every serial-line reader of the host
  vireo.readers.vireo4_settings:
    settings:
      kru-krm:
        interface: wiegand-26
        touch-poll: "off"

- name: Decimal 4-byte IDs from the USB reader of an enrolment desk
  vireo.readers.vireo4_settings:
    port: /dev/vireo4-usb
    settings:
      usb:
        mode: all
        format: hex-or-dec
        type: dec
        bytes: 4

- name: The site's profile on the readers of the gate converters (files/site.ini on the controller)
  vireo.readers.vireo4_settings:
    port:
      - /dev/ttyUSB*
    profile: site.ini
  register: gates

- name: Readers that differed from the profile (written, or in check mode to be written)
  ansible.builtin.debug:
    msg: "{{ gates.readers | selectattr('would_change') | map(attribute='port') | list }}"

- name: Two readers at this kiosk, both set, the old settings kept on the controller
  vireo.readers.vireo4_settings:
    profile: site.ini
    expect: 2
    backup: true
'''

RETURN = r'''
readers:
  description:
    - One entry per reader (and per port named without a glob), as C(vireo4 apply --json) reports it.
    - For a reader that was written, the entry of the write; for the others that of the first read.
  returned: always, except when the input was refused before any reader was read
  type: list
  elements: dict
  contains:
    port:
      description: The port's path.
      type: str
      sample: /dev/ttyUSB0
    model:
      description: C(KRU), C(KRM), C(USB), or C(serial-line reader); null when no reader answered.
      type: str
      sample: KRM
    family:
      description: C(kru-krm) or C(usb); null when no reader answered.
      type: str
      sample: kru-krm
    firmware:
      description: The firmware label.
      type: str
      sample: "1.10"
    settings:
      description: The settings before, by name.
      type: dict
      sample: {"interface": "touch-memory", "indication": "direct", "standby": "dynamic", "touch-poll": "on"}
    raw:
      description: The setting characters as the reader keeps them, before.
      type: str
      sample: TMX1DO
    status:
      description:
        - The word of C(vireo4) for the outcome. C(ok) and C(skipped) are successes; every other word
          (C(unconfirmed), C(refused), C(mismatch), C(not-allowed), C(no-answer), C(busy),
          C(io-error), ...) failed the task.
      type: str
      sample: ok
    ok:
      description: Whether this reader succeeded.
      type: bool
    error:
      description: The message of C(vireo4) for a reader that failed, else null.
      type: str
      sample: "written, not confirmed: read the reader again"
    changed:
      description:
        - True when written and verified; false when nothing was sent; null when the write went
          out but was not confirmed (the reader may have changed).
        - In check mode false; see I(would_change).
      type: raw
      sample: true
    would_change:
      description:
        - Whether the first read found the reader differing from the wanted settings, in every
          mode; in check mode it would be written, otherwise it was (or its write failed).
      type: bool
      sample: true
    changes:
      description: Each setting that changes (or would change).
      type: list
      elements: dict
      sample: [{"name": "interface", "before": "touch-memory", "after": "wiegand-26"}]
    after:
      description: The settings read back after the write (C(settings), C(raw)); null when not written.
      type: dict
      sample: {"settings": {"interface": "wiegand-26"}, "raw": "W261DO"}
rc:
  description: The exit code of the last C(vireo4) run (C(0) when every reader succeeded).
  returned: always, except when the input was refused before vireo4 ran
  type: int
  sample: 0
backup_files:
  description: The profiles saved on the controller by I(backup), one per reader written.
  returned: when I(backup) is true, not in check mode
  type: list
  elements: str
  sample: ["/srv/site/backups/kiosk-3/ttyUSB0.20261208T101500.ini"]
'''

import base64
import os
import re

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.vireo.readers.plugins.module_utils.vireo4 import (
    COMMON_ARGUMENT_SPEC, check_timeout, describe_failures, locate_vireo4, reader_failed,
    run_vireo4, usage_error)

FAMILIES = ('kru-krm', 'usb')
# Outcomes that show the input does not fit a reader: when the first read finds one, nothing
# is written anywhere.
INPUT_STATUSES = ('usage', 'not-allowed')
# No setting name or value holds these; in a profile they would end a value or start a comment,
# a section or another line.
PROFILE_SYNTAX = re.compile(r'[\x00-\x1f\x7f#;=\[\]]')
# "PATH:LINE: message", vireo4's form of a problem in a profile file.
PROFILE_PROBLEM = re.compile(r'^(.*?):(\d+): (.*)$', re.DOTALL)
# "PATH: message", a problem of the whole file.
PROFILE_WHOLE = re.compile(r'^(.*?): (.*)$', re.DOTALL)


class BadSettings(Exception):
    pass


def setting_word(family, name, value):
    """A value as the profile writes it. YAML makes unquoted on/off booleans and bytes a number."""
    if isinstance(value, bool):
        return 'on' if value else 'off'
    if isinstance(value, int):
        return str(value)
    if not isinstance(value, str) or not value.strip():
        raise BadSettings('settings.%s.%s: %r is not a setting value' % (family, name, value))
    return value


def profile_of_settings(settings):
    """The profile text of a settings dictionary, and for each of its lines where it came from."""
    lines, origins = [], [None]
    for family, named in settings.items():
        if family not in FAMILIES:
            raise BadSettings("settings: '%s' is no reader family; the families are %s"
                              % (family, ' and '.join(FAMILIES)))
        if not isinstance(named, dict):
            raise BadSettings('settings.%s must be a dictionary of setting names and values' % family)
        lines.append('[%s]' % family)
        origins.append('settings.%s' % family)
        for name, value in named.items():
            word = setting_word(family, name, value)
            for text in (str(name), word):
                if PROFILE_SYNTAX.search(text):
                    raise BadSettings("settings.%s.%s: '%s' holds a character no setting name or value has"
                                      % (family, name, text))
            lines.append('%s=%s' % (name, word))
            origins.append('settings.%s.%s' % (family, name))
    return '\n'.join(lines) + '\n', origins


def profile_problem(message, path, origins, shown_name):
    """vireo4's message about the temporary profile, told in the user's terms: the setting's
    place in settings, or the profile's own name."""
    found = PROFILE_PROBLEM.match(message)
    if not found or found.group(1) != path:
        whole = PROFILE_WHOLE.match(message)
        if whole and whole.group(1) == path:  # about the file as a whole, no line
            return '%s: %s' % ('settings' if origins is not None else shown_name, whole.group(2))
        return message
    line, text = int(found.group(2)), found.group(3)
    if origins is not None:
        return '%s: %s' % (origins[line] if line < len(origins) else 'settings', text)
    return '%s:%d: %s' % (shown_name, line, text)


def apply(module, vireo4, path, ports, dry_run):
    flags = ['--dry-run'] if dry_run else []
    return run_vireo4(module, vireo4, 'apply', flags, [path] + list(ports))


def settings_text(settings):
    return ''.join('%s = %s\n' % (name, settings[name]) for name in sorted(settings or {}))


def reader_after(row):
    """A reader's settings after the task: read back after a write, else predicted."""
    if row.get('after'):
        return dict(row['after'].get('settings') or {})
    after = dict(row.get('settings') or {})
    if row.get('would_change'):
        for change in row.get('changes') or []:
            after[change['name']] = change['after']
    return after


def reader_diff(row):
    """Before and after of one reader: predicted in check mode, read back after a write."""
    header = '%s (%s %s)' % (row.get('port'), row.get('model'), row.get('firmware'))
    return dict(before_header=header, after_header=header, before=settings_text(row.get('settings')),
                after=settings_text(reader_after(row)))


def reader_fate(row):
    """One reader's outcome in a sentence, with what changed on it."""
    changes = ', '.join('%s %s -> %s' % (c.get('name'), c.get('before'), c.get('after'))
                        for c in row.get('changes') or [])
    if reader_failed(row):
        fate = 'failed: %s (%s)' % (row.get('error') or 'no reason given', row.get('status'))
        if row.get('changed') is None and row.get('would_change'):
            fate += ', may have changed'
    elif row.get('changed'):
        fate = 'written'
    elif row.get('status') == 'skipped':
        fate = 'skipped'
    else:
        fate = 'unchanged'
    return '%s: %s%s' % (row.get('port'), fate, ' [%s]' % changes if changes and fate != 'unchanged' else '')


def read_expectation(module):
    """expect as (count, None) or (None, ports), or (None, None) when not given."""
    given = module.params['expect']
    if given is None:
        return None, None
    if isinstance(given, bool):
        module.fail_json(msg='expect: give the number of readers or a list of ports, not %r' % given)
    if isinstance(given, int) or (isinstance(given, str) and given.strip().isdigit()):
        count = int(given)
        if count < 1:
            module.fail_json(msg='expect: the number of readers is at least 1, not %d' % count)
        return count, None
    if isinstance(given, str):
        given = [given]
    if isinstance(given, list) and given and all(isinstance(p, str) and p.strip() for p in given):
        return None, [p if p.startswith('/') else '/dev/' + p for p in given]
    module.fail_json(msg='expect: give the number of readers or a list of ports, not %r' % (given,))


def expectation_problem(rows, count, ports):
    """What the readers found lack against expect, or None."""
    taking = [row['port'] for row in rows if row.get('status') != 'skipped' and row.get('family')]
    skipped = [row['port'] for row in rows if row.get('status') == 'skipped']
    if count is not None and len(taking) < count:
        problem = 'expected %d readers, %d took the settings' % (count, len(taking))
        if skipped:
            problem += ' (skipped: %s)' % ', '.join(skipped)
        return problem
    if ports is not None:
        missing = [p for p in ports if p not in taking]
        if missing:
            return 'expected readers did not take the settings: %s' % ', '.join(
                '%s (%s)' % (p, 'skipped' if p in skipped else 'not found') for p in missing)
    return None


def warn_skipped(module, rows):
    skipped = [row for row in rows if row.get('status') == 'skipped']
    if skipped and len(skipped) == len(rows):
        module.warn('no reader took any setting: every reader found was skipped (%s); the settings '
                    'name no family of these readers' % ', '.join(
                        '%s %s' % (row.get('port'), row.get('family')) for row in skipped))
    elif skipped:
        module.warn('readers skipped, the settings name no family of theirs: %s' % ', '.join(
            '%s (%s)' % (row.get('port'), row.get('family')) for row in skipped))


def wanted_profile(module):
    """The profile text or bytes to write, and for settings the origin of each line."""
    params = module.params
    given = [name for name in ('settings', 'profile_content', 'profile_base64') if params[name] is not None]
    if len(given) > 1:
        module.fail_json(msg='give one of settings, profile and profile_content, not %s' % ' and '.join(given))
    if params['settings'] is not None:
        try:
            text, origins = profile_of_settings(params['settings'])
        except BadSettings as problem:
            module.fail_json(msg=str(problem))
        return text.encode('utf-8'), origins
    if params['profile_content'] is not None:
        return params['profile_content'].encode('utf-8'), None
    if params['profile_base64'] is not None:
        try:
            return base64.b64decode(params['profile_base64'], validate=True), None
        except (TypeError, ValueError) as problem:
            module.fail_json(msg='profile_base64 is not base64: %s' % problem)
    if params['profile'] is not None:
        module.fail_json(msg='profile %s was not read on the controller: run the module as a task '
                             '(its action plugin sends the file), or give profile_content' % params['profile'])
    module.fail_json(msg='give settings, profile or profile_content')


def main():
    argument_spec = dict(COMMON_ARGUMENT_SPEC)
    argument_spec.update(
        settings=dict(type='dict'),
        profile=dict(type='path'),
        profile_content=dict(type='str'),
        profile_base64=dict(type='str'),
        expect=dict(type='raw'),
        backup=dict(type='bool', default=False),
        backup_dir=dict(type='path'),
    )
    module = AnsibleModule(argument_spec=argument_spec, supports_check_mode=True)
    check_timeout(module)
    count, expected_ports = read_expectation(module)
    data, origins = wanted_profile(module)
    params = module.params

    vireo4 = locate_vireo4(module)
    path = os.path.join(module.tmpdir, 'wanted.ini')
    with open(path, 'wb') as handle:
        handle.write(data)
    shown_name = params['profile'] or 'profile_content'
    ports = params['port'] or []

    rc, first = apply(module, vireo4, path, ports, dry_run=True)
    problem = usage_error(first)
    if problem is not None:
        module.fail_json(msg=profile_problem(problem, path, origins, shown_name), rc=rc)
    rows = first.get('readers') or []
    if not rows:
        module.fail_json(msg='no reader found on %s' % (', '.join(ports) or 'any serial port of the host'),
                         readers=[], rc=rc)
    refused = [row for row in rows if row.get('status') in INPUT_STATUSES]
    if refused:
        module.fail_json(msg='nothing written: ' + describe_failures(refused), readers=rows, rc=rc)

    to_write = [row['port'] for row in rows if row.get('would_change') and not reader_failed(row)]
    written = {}
    if to_write and not module.check_mode:
        rc, second = apply(module, vireo4, path, to_write, dry_run=False)
        problem = usage_error(second)
        if problem is not None:  # refused as a whole: nothing was sent
            module.fail_json(msg=profile_problem(problem, path, origins, shown_name), readers=rows, rc=rc)
        written = dict((row.get('port'), row) for row in second.get('readers') or [])
        for port in to_write:
            written.setdefault(port, dict(port=port, ok=False, status='unconfirmed', changed=None,
                                          error='vireo4 reported nothing for this reader: read it again'))
        before = dict((row['port'], row) for row in rows)
        for port, row in written.items():
            # A written reader's entry is the write's; would_change stays the first read's
            # verdict, as in check mode.
            for key, value in before.get(port, {}).items():
                row.setdefault(key, value)
            row['would_change'] = True
        rows = [written.get(row['port'], row) for row in rows]

    if module.check_mode:
        changed = any(row.get('would_change') for row in rows)
    else:
        # A write that went out unconfirmed (changed is null) may have changed the reader.
        changed = any(row.get('changed') is not False for row in written.values())
    result = dict(changed=changed, readers=rows, rc=rc)
    # Ansible's own flag for --diff.
    if module._diff:  # pylint: disable=protected-access
        result['diff'] = [reader_diff(row) for row in rows if row.get('settings') is not None]
    warn_skipped(module, rows)
    failed = [row for row in rows if reader_failed(row)]
    short = expectation_problem(rows, count, expected_ports)
    if failed or short:
        parts = []
        if failed:
            parts.append('%d of %d readers failed' % (len(failed), len(rows)))
        if short:
            parts.append(short)
        # Ansible shows no diff for a failed task: each reader's fate and changes are told here.
        module.fail_json(msg='%s: %s' % ('; '.join(parts), '; '.join(reader_fate(row) for row in rows)), **result)
    module.exit_json(**result)


if __name__ == '__main__':
    main()
