# SPDX-License-Identifier: Apache-2.0
"""The version's spellings as a build tree has them (generated/core/version.h, from project(VERSION)),
for the scripts that look for the built manual and installer by name."""
import os
import re


def version_names(build_dir):
    """{"VIREO_VERSION": "2.0.0", "VIREO_VERSION_LABEL": "2.00", "VIREO_MANUAL_NAME": ..., ...}"""
    with open(os.path.join(build_dir, "generated", "core", "version.h"), encoding="utf-8") as f:
        return dict(re.findall(r'^#define (VIREO_\w+) "([^"]*)"$', f.read(), re.M))


def manual_name(build_dir):
    return version_names(build_dir)["VIREO_MANUAL_NAME"]


def installer_name(build_dir):
    return "VireoTool-4-%s-setup.exe" % version_names(build_dir)["VIREO_VERSION_LABEL"]
