# -*- coding: utf-8 -*-
# SPDX-License-Identifier: GPL-3.0-or-later
# GNU General Public License v3.0+ (see ansible/LICENSE or https://www.gnu.org/licenses/gpl-3.0.txt)
# Running vireo4 on the managed host: shared by vireo4_info and vireo4_settings.
#
# The modules never talk to a reader themselves. vireo4 --json is the one place that knows the
# readers, their settings and their rules; a module turns its result into Ansible's terms.

from __future__ import absolute_import, division, print_function
__metaclass__ = type

import json
import os

PACKAGE = 'vireo4'
MISSING_HINT = ('install the Debian package %s on the host (apt-get install %s, or dpkg -i on the '
                'vireo4_*.deb the project builds), or give its path in executable' % (PACKAGE, PACKAGE))

# The options both modules share, documented once in each module's DOCUMENTATION.
COMMON_ARGUMENT_SPEC = dict(
    port=dict(type='list', elements='str', aliases=['ports']),
    executable=dict(type='path'),
    timeout_ms=dict(type='int'),
    lang=dict(type='str', default='en', choices=['en', 'ru']),
)

# vireo4 accepts a reply deadline in this range, in milliseconds.
TIMEOUT_RANGE_MS = (1, 60000)


def locate_vireo4(module):
    """The vireo4 to run, or a failure that names the package to install."""
    given = module.params.get('executable')
    if given is None:
        found = module.get_bin_path(PACKAGE)
        if found is None:
            module.fail_json(msg='vireo4 was not found on this host (searched PATH: %s): %s'
                             % (os.environ.get('PATH', ''), MISSING_HINT))
        return found
    if os.sep not in given:
        found = module.get_bin_path(given)
        if found is not None:
            return found
        module.fail_json(msg='vireo4 was not found on this host (%s is not on PATH: %s): %s'
                         % (given, os.environ.get('PATH', ''), MISSING_HINT))
    if not os.path.exists(given):
        module.fail_json(msg='vireo4 was not found on this host at %s: %s' % (given, MISSING_HINT))
    if os.path.isdir(given):
        module.fail_json(msg='executable %s is a folder, not the vireo4 program' % given)
    if not os.access(given, os.X_OK):
        module.fail_json(msg='executable %s exists but the remote user may not run it (mode %04o): '
                             'make it executable or give the path of the installed vireo4'
                         % (given, os.stat(given).st_mode & 0o7777))
    return given


def check_timeout(module):
    timeout = module.params.get('timeout_ms')
    low, high = TIMEOUT_RANGE_MS
    if timeout is not None and not low <= timeout <= high:
        module.fail_json(msg='timeout_ms must be between %d and %d, not %d' % (low, high, timeout))


def run_vireo4(module, executable, command, flags, positional):
    """Runs one vireo4 command with --json; returns its exit code and its JSON document.

    Positional words (ports, the profile) follow "--", so a port name that starts with a dash
    is never taken for an option.
    """
    argv = [executable, command, '--json', '--lang', module.params['lang']]
    if module.params.get('timeout_ms') is not None:
        argv += ['--timeout', str(module.params['timeout_ms'])]
    argv += list(flags) + ['--'] + list(positional)
    rc, out, err = module.run_command(argv, check_rc=False)
    try:
        document = json.loads(out)
    except ValueError:
        document = None
    if not isinstance(document, dict):
        module.fail_json(msg='vireo4 %s gave no JSON result (exit %d): %s'
                         % (command, rc, (err or out).strip() or 'no output'),
                         rc=rc, stdout=out, stderr=err, cmd=argv)
    mismatch = exit_mismatch(rc, document)
    if mismatch is not None:
        module.fail_json(msg='vireo4 %s: %s; its result cannot be trusted' % (command, mismatch),
                         rc=rc, stdout=out, stderr=err, cmd=argv)
    return rc, document


def exit_mismatch(rc, document):
    """What is wrong when vireo4's exit code and its JSON disagree, or None.

    Success is exit 0 with "ok": true; a document that names its exit code must name this one.
    """
    named = document.get('exit_code')
    if named is not None and named != rc:
        return 'exited with %d but its JSON names exit code %r' % (rc, named)
    said_ok = document.get('ok')
    if said_ok is True and rc != 0:
        return 'exited with %d but its JSON says ok' % rc
    if said_ok is not True and rc == 0:
        return 'exited with 0 but its JSON does not say ok (ok: %r)' % (said_ok,)
    return None


def usage_error(document):
    """The message of a document that is a usage error (no readers were looked at), or None."""
    if 'readers' in document or document.get('ok', True):
        return None
    if document.get('error'):
        return document['error']
    if document.get('status'):
        return 'vireo4 refused the command (status %s) without saying why' % document['status']
    return 'vireo4 refused the command without saying why'


def reader_failed(row):
    """A reader's outcome that is not a success. A row that says ok but carries another status
    is taken for a failure too: a write that failed must never pass for "ok, unchanged"."""
    return row.get('ok') is not True or row.get('status') not in ('ok', 'skipped')


def describe_failures(rows):
    """'PORT: message (status)' for each reader that failed, in vireo4's own words."""
    return '; '.join('%s: %s (%s)' % (row.get('port'), row.get('error') or 'failed', row.get('status'))
                     for row in rows)
