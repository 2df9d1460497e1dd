# SPDX-License-Identifier: Apache-2.0
# A test's record of every task result: one JSON line per host and task, in the file named by
# VIREO_TEST_RESULTS, so that a test reads what the modules returned rather than parsing screens.
from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = '''
    name: record
    type: notification
    short_description: every task result as a JSON line
    description: Appends host, task, status and the result of every task to $VIREO_TEST_RESULTS.
'''

import json
import os

from ansible.plugins.callback import CallbackBase


class CallbackModule(CallbackBase):
    CALLBACK_VERSION = 2.0
    CALLBACK_TYPE = 'notification'
    CALLBACK_NAME = 'record'
    CALLBACK_NEEDS_ENABLED = True

    def _record(self, result, outcome):
        line = dict(host=result._host.get_name(), task=result._task.get_name(), outcome=outcome,
                    result=dict(result._result, failed=outcome == 'failed'))
        with open(os.environ['VIREO_TEST_RESULTS'], 'a') as out:
            out.write(json.dumps(line, default=str) + '\n')

    def v2_runner_on_ok(self, result):
        self._record(result, 'ok')

    def v2_runner_on_failed(self, result, ignore_errors=False):
        self._record(result, 'failed')
