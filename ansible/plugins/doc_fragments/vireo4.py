# -*- coding: utf-8 -*-
# SPDX-License-Identifier: GPL-3.0-or-later
# GNU General Public License v3.0+ (see ansible/LICENSE or https://www.gnu.org/licenses/gpl-3.0.txt)
# The options every module of the collection shares: how vireo4 is found and run on the host.
from __future__ import absolute_import, division, print_function
__metaclass__ = type


class ModuleDocFragment(object):
    DOCUMENTATION = r'''
options:
  executable:
    description:
      - The C(vireo4) program on the host. A name is searched on the host's C(PATH).
      - Left out, C(vireo4) is searched on the host's C(PATH); when it is not there the task fails
        and names the package to install.
    type: path
  timeout_ms:
    description:
      - How long C(vireo4) waits for each reply of a reader, in milliseconds (C(--timeout)); 1 to
        60000. Left out, 700 (the default of C(vireo4)).
      - A slow USB-serial converter or a long line may need more.
    type: int
  lang:
    description:
      - The language of the messages of C(vireo4) in the results.
    type: str
    choices: [en, ru]
    default: en
'''
