#!/usr/bin/python
# -*- coding: utf-8 -*-
# SPDX-License-Identifier: GPL-3.0-or-later
# GNU General Public License v3.0+ (see ansible/LICENSE or https://www.gnu.org/licenses/gpl-3.0.txt)

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
---
module: vireo4_info
short_description: List the Vireo-4 card readers attached to a host and their settings
version_added: 1.0.0
description:
  - Finds the Vireo-4 readers on the managed host (Vireo-4KRU, Vireo-4KRM on serial lines,
    Vireo-4-USB) with the command-line tool C(vireo4) that runs on the host
    (C(vireo4 find --json)), all ports probed at once.
  - Returns each reader's port, model, firmware, settings by name and setting characters.
  - Changes nothing; sends only the queries that read a reader's settings. Runs in check mode.
  - A host without readers is no failure; I(readers) is empty then.
  - Linux hosts. For Windows hosts see the collection's README.
author:
  - VireoTool-4 maintainers (@vireotool4)
requirements:
  - C(vireo4) on the managed host (Debian package C(vireo4)), version 2.0.0 or later
options:
  port:
    description:
      - Only these ports. Each item is a device path (C(/dev/ttyUSB0)), a name under C(/dev)
        (C(ttyACM0)) or a glob (C(/dev/ttyUSB*)) that C(vireo4) expands on the host.
      - Left out, every serial port of the host is probed.
    type: list
    elements: str
    aliases: [ports]
extends_documentation_fragment:
  - vireo.readers.vireo4
  - ansible.builtin.action_common_attributes
attributes:
  check_mode:
    support: full
  diff_mode:
    support: none
  platform:
    platforms: posix
seealso:
  - module: vireo.readers.vireo4_settings
'''

EXAMPLES = r'''
- name: The readers of every desk
  vireo.readers.vireo4_info:
  register: found

- name: Readers whose interface is not Wiegand 26
  ansible.builtin.debug:
    msg: "{{ found.readers | selectattr('family', 'eq', 'kru-krm')
             | rejectattr('settings.interface', 'eq', 'wiegand-26') | map(attribute='port') | list }}"

- name: Only the USB reader, with a longer reply deadline for a slow hub
  vireo.readers.vireo4_info:
    port: /dev/vireo4-usb
    timeout_ms: 1500
'''

RETURN = r'''
readers:
  description: The readers found, in the order of their ports.
  returned: always
  type: list
  elements: dict
  contains:
    port:
      description: The port's path.
      type: str
      sample: /dev/ttyUSB0
    model:
      description: C(KRU), C(KRM), C(USB), or C(serial-line reader) (a KRU/KRM reader that names no model).
      type: str
      sample: KRU
    family:
      description: C(kru-krm) or C(usb), the section of a profile the reader takes.
      type: str
      sample: kru-krm
    firmware:
      description: The firmware label.
      type: str
      sample: "1.10"
    settings:
      description: The settings by name, as the I(settings) option of M(vireo.readers.vireo4_settings) takes them.
      type: dict
      sample: {"interface": "touch-memory", "indication": "direct", "standby": "dynamic", "touch-poll": "on"}
    raw:
      description: The setting characters as the reader keeps them.
      type: str
      sample: TMX1DO
    status:
      description: C(ok), or C(firmware-unsupported) for a reader whose firmware C(vireo4) refuses.
      type: str
      sample: ok
    ok:
      description: Whether the reader was read.
      type: bool
    error:
      description: The message of C(vireo4) when the reader could not be read, else null.
      type: str
failures:
  description:
    - Ports named without a glob that hold no reader, and ports that could not be opened (busy,
      no permission), each with C(port), C(status) and C(error).
  returned: always
  type: list
  elements: dict
  sample: [{"port": "/dev/ttyUSB1", "status": "busy", "error": "the port is busy", "ok": false}]
ports_probed:
  description: How many ports were probed.
  returned: always
  type: int
  sample: 4
'''

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.vireo.readers.plugins.module_utils.vireo4 import (
    COMMON_ARGUMENT_SPEC, check_timeout, locate_vireo4, run_vireo4, usage_error)


def main():
    module = AnsibleModule(argument_spec=dict(COMMON_ARGUMENT_SPEC), supports_check_mode=True)
    check_timeout(module)
    vireo4 = locate_vireo4(module)
    document = run_vireo4(module, vireo4, 'find', [], module.params['port'] or [])[1]
    if 'readers' not in document:
        module.fail_json(msg=usage_error(document) or 'vireo4 find reported no readers list')
    module.exit_json(changed=False, readers=document['readers'], failures=document.get('failures') or [],
                     ports_probed=document.get('ports_probed', 0))


if __name__ == '__main__':
    main()
