# -*- coding: utf-8 -*-
# The controller's half of vireo4_settings: a profile named in the task is a file on the
# controller. It is read here and travels to the host inside the module's arguments (a profile
# is a few hundred bytes), so there is no extra transfer and nothing to clean up on the host.

from __future__ import absolute_import, division, print_function
__metaclass__ = type

from ansible.errors import AnsibleError, AnsibleFileNotFound
from ansible.module_utils.common.text.converters import to_text
from ansible.plugins.action import ActionBase

# vireo4 refuses a profile this large; a real one is a few hundred bytes.
LARGEST_PROFILE = 1 << 20


class ActionModule(ActionBase):

    TRANSFERS_FILES = False

    def run(self, tmp=None, task_vars=None):
        result = super(ActionModule, self).run(tmp, task_vars)
        args = dict(self._task.args)
        profile = args.get('profile')
        if profile is not None:
            if args.get('profile_content') is not None:
                result.update(failed=True, msg='give profile or profile_content, not both')
                return result
            try:
                source = self._find_needle('files', profile)
                with open(source, 'rb') as handle:
                    data = handle.read(LARGEST_PROFILE + 1)
            except AnsibleFileNotFound as error:
                # Ansible's own text goes on about remote_src, which this module does not have.
                searched = ', '.join(error.paths or [])
                result.update(failed=True, msg='profile %s is not on the controller (searched: %s)' % (profile, searched))
                return result
            except (AnsibleError, IOError, OSError) as error:
                result.update(failed=True, msg='profile %s cannot be read on the controller: %s'
                              % (profile, to_text(error)))
                return result
            if len(data) > LARGEST_PROFILE:
                result.update(failed=True, msg='profile %s is no profile: larger than %d bytes'
                              % (profile, LARGEST_PROFILE))
                return result
            # Names and values are ASCII; a comment in another encoding must not stop the run.
            args['profile_content'] = to_text(data, errors='surrogate_then_replace')
        result.update(self._execute_module(module_name='vireo.readers.vireo4_settings',
                                           module_args=args, task_vars=task_vars))
        return result
