# -*- coding: utf-8 -*-
# SPDX-License-Identifier: GPL-3.0-or-later
# GNU General Public License v3.0+ (see ansible/LICENSE or https://www.gnu.org/licenses/gpl-3.0.txt)
# The controller's half of vireo4_settings: a profile named in the task is a file on the
# controller. It is read here and travels to the host inside the module's arguments (a profile
# is a few hundred bytes), so there is no extra transfer and nothing to clean up on the host.
# With backup, the settings each written reader had before are kept here as profiles.

from __future__ import absolute_import, division, print_function
__metaclass__ = type

import base64
import difflib
import os
import time

from ansible.errors import AnsibleError, AnsibleFileNotFound
from ansible.module_utils.common.text.converters import to_bytes, to_text
from ansible.module_utils.parsing.convert_bool import boolean
from ansible.plugins.action import ActionBase
from ansible.utils.display import Display

display = Display()

# vireo4 refuses a profile this large; a real one is a few hundred bytes.
LARGEST_PROFILE = 1 << 20
# Backups go here, beside the playbook, unless backup_dir says otherwise.
DEFAULT_BACKUP_DIR = 'backups'


class ActionModule(ActionBase):

    TRANSFERS_FILES = False

    def run(self, tmp=None, task_vars=None):
        result = super(ActionModule, self).run(tmp, task_vars)
        args = dict(self._task.args)
        profile = args.get('profile')
        if profile is not None and args.get('settings') is not None:
            result.update(failed=True, msg='give settings or profile, not both')
            return result
        if profile is not None:
            if args.get('profile_content') is not None:
                result.update(failed=True, msg='give profile or profile_content, not both')
                return result
            problem = self._read_profile(profile, args)
            if problem is not None:
                result.update(failed=True, msg=problem)
                return result

        backup_dir = None
        try:
            wants_backup = boolean(args.get('backup', False), strict=True)
        except TypeError as error:
            result.update(failed=True, msg='backup: %s' % to_text(error))
            return result
        if wants_backup and not self._play_context.check_mode:
            backup_dir = os.path.join(self._backup_root(args), task_vars.get('inventory_hostname', 'host'))
            try:
                os.makedirs(backup_dir, exist_ok=True)
            except OSError as error:
                result.update(failed=True, msg='nothing written: backup folder %s cannot be made on the controller: %s'
                              % (backup_dir, to_text(error)))
                return result

        result.update(self._execute_module(module_name='vireo.readers.vireo4_settings',
                                           module_args=args, task_vars=task_vars))
        if backup_dir is not None:
            self._save_backups(result, backup_dir)
        if result.get('failed') and result.get('changed') and result.get('diff') and \
                (self._task.diff or self._play_context.diff):
            self._show_diff(task_vars.get('inventory_hostname', ''), result['diff'])
        return result

    @staticmethod
    def _show_diff(host, blocks):
        """Ansible shows no diff for a failed task: with --diff, the readers' diff of a task that
        wrote some readers and failed on others is shown here, one block per reader."""
        lines = []
        for block in blocks:
            lines += difflib.unified_diff(block['before'].splitlines(True), block['after'].splitlines(True),
                                          'before: %s' % block['before_header'], 'after: %s' % block['after_header'])
        if lines:
            display.display('[%s] the readers, before and after:\n%s' % (host, ''.join(lines).rstrip('\n')))

    def _read_profile(self, profile, args):
        """Puts the profile's bytes into args; returns a message when it cannot be read."""
        try:
            source = self._find_needle('files', profile)
            with open(source, 'rb') as handle:
                data = handle.read(LARGEST_PROFILE + 1)
        except AnsibleFileNotFound as error:
            # Ansible's own text goes on about remote_src, which this module does not have.
            searched = ', '.join(error.paths or [])
            return 'profile %s is not on the controller (searched: %s)' % (profile, searched)
        except (AnsibleError, IOError, OSError) as error:
            return 'profile %s cannot be read on the controller: %s' % (profile, to_text(error))
        if len(data) > LARGEST_PROFILE:
            return 'profile %s is no profile: larger than %d bytes' % (profile, LARGEST_PROFILE)
        # vireo4 judges the bytes (UTF-8, UTF-16, a stray byte in a comment); text that is not
        # UTF-8 travels as base64, since Ansible's arguments and logs must be valid text.
        try:
            args['profile_content'] = data.decode('utf-8')
        except UnicodeDecodeError:
            args['profile_base64'] = to_text(base64.b64encode(data))
        return None

    def _backup_root(self, args):
        given = args.get('backup_dir') or DEFAULT_BACKUP_DIR
        given = os.path.expanduser(given)
        if os.path.isabs(given):
            return given
        return os.path.join(self._loader.get_basedir(), given)

    def _save_backups(self, result, folder):
        """Each written reader's settings as read before the write, as a profile vireo4 applies."""
        stamp = time.strftime('%Y%m%dT%H%M%S')
        saved = []
        for row in result.get('readers') or []:
            if row.get('changed') is False or not row.get('would_change') or not row.get('settings'):
                continue
            name = '%s.%s.ini' % (os.path.basename(row['port']) or 'reader', stamp)
            path = os.path.join(folder, name)
            lines = ['# %s: %s, %s, before %s' % (row['port'], row.get('model'), row.get('firmware'), stamp),
                     '[%s]' % row.get('family')]
            lines += ['%s = %s' % (key, row['settings'][key]) for key in sorted(row['settings'])]
            try:
                with open(path, 'wb') as out:
                    out.write(to_bytes('\n'.join(lines) + '\n'))
            except (IOError, OSError) as error:
                result.update(failed=True, msg='%s; the backup %s could not be saved: %s'
                              % (result.get('msg') or 'readers written', path, to_text(error)))
                continue
            saved.append(path)
        result['backup_files'] = saved
