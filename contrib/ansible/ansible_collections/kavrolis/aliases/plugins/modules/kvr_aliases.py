#!/usr/bin/python
# -*- coding: utf-8 -*-
# The aliases of a Kavrolis work directory brought to a declaration by
# "kvrcfg apply", which does the comparing, the locking and the writing.
# The module only hands it the declaration on standard input and reads back
# its JSON, so a password never reaches a file or a command line.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
---
module: kvr_aliases
short_description: Declare the connection aliases of a Kavrolis work directory
description:
  - Makes the alias file KVRCFG of a work directory hold the declared aliases,
    in one locked rewrite, by running C(kvrcfg apply - --json) on the host.
  - An alias whose four values already are the declared ones is not rewritten,
    so a second run reports nothing changed and leaves the file's bytes alone.
  - Supports check mode (nothing is written) and diff mode (per alias and
    field; passwords are never shown).
  - For Windows hosts, see the collection's README (ansible.windows.win_command
    with kvrcfg.exe).
version_added: "1.0.0"
options:
  aliases:
    description: The declared aliases. Names match the file's ignoring letter case.
    type: list
    elements: dict
    required: true
    suboptions:
      name:
        description: The alias's name.
        type: str
        required: true
      database:
        description: The database name.
        type: str
        default: ""
      server:
        description: The server (host, host,port or host\instance).
        type: str
        default: ""
      user:
        description: The user name.
        type: str
        default: ""
      password:
        description:
          - The password, best from a vault. Omitted, the stored password stays
            (a new alias then has none).
        type: str
  prune:
    description: Delete the aliases of the file that are not declared.
    type: bool
    default: false
  work_dir:
    description: The work directory holding KVRCFG (kvrcfg's C(--dir)).
    type: path
    required: true
  registry:
    description: A REGEDIT4 file kvrcfg uses as the registry (kvrcfg's C(--registry)).
    type: path
  kvrcfg:
    description: The kvrcfg program.
    type: path
    default: kvrcfg
author:
  - Kavrolis developers
"""

EXAMPLES = r"""
- name: The suite's aliases
  kavrolis.aliases.kvr_aliases:
    work_dir: /srv/suite
    prune: true
    aliases:
      - name: Sales
        server: db1,1433
        database: sales
        user: sales_app
        password: "{{ vault_sales_password }}"
      - name: Stock
        server: db2
        database: stock
        user: stock_app
        password: "{{ vault_stock_password }}"
"""

RETURN = r"""
added:
  description: Aliases added (or that would be, in check mode).
  type: list
  elements: str
  returned: always
changed_fields:
  description: Per changed alias, the fields that change (database, server, user, password).
  type: dict
  returned: always
deleted:
  description: Aliases deleted by prune.
  type: list
  elements: str
  returned: always
"""

import json
import os

from ansible.module_utils.basic import AnsibleModule

# What kvrcfg takes as "keep the stored password".
MASK = "*****"


def declaration(aliases):
    entries = []
    for alias in aliases:
        password = alias.get("password")
        entries.append(
            {
                "name": alias["name"],
                "database": alias.get("database") or "",
                "server": alias.get("server") or "",
                "user": alias.get("user") or "",
                "password": MASK if password is None else password,
            }
        )
    return {"kvrcfg": 1, "passwords": "revealed", "aliases": entries}


def main():
    module = AnsibleModule(
        argument_spec=dict(
            aliases=dict(
                type="list",
                elements="dict",
                required=True,
                options=dict(
                    name=dict(type="str", required=True),
                    database=dict(type="str", default=""),
                    server=dict(type="str", default=""),
                    user=dict(type="str", default=""),
                    password=dict(type="str", no_log=True),
                ),
            ),
            prune=dict(type="bool", default=False),
            work_dir=dict(type="path", required=True),
            registry=dict(type="path"),
            kvrcfg=dict(type="path", default="kvrcfg"),
        ),
        supports_check_mode=True,
    )
    params = module.params
    for alias in params["aliases"]:
        if alias.get("password") == MASK:
            module.fail_json(msg="alias %s: the password %s means 'keep the stored one'; "
                                 "omit the password to say that" % (alias["name"], MASK))

    program = params["kvrcfg"]
    if os.sep not in program:
        program = module.get_bin_path(program, required=True)
    command = [program, "--dir", params["work_dir"]]
    if params["registry"]:
        command += ["--registry", params["registry"]]
    command += ["apply", "-", "--json", "--diff"]
    if params["prune"]:
        command.append("--prune")
    if module.check_mode:
        command.append("--check")

    rc, out, err = module.run_command(
        command, data=json.dumps(declaration(params["aliases"])), binary_data=True
    )
    if rc != 0:
        module.fail_json(msg="kvrcfg apply failed: %s" % (err.strip() or out.strip()),
                         rc=rc, stderr=err)
    try:
        result = json.loads(out)
    except ValueError:
        module.fail_json(msg="kvrcfg apply did not answer in JSON", stdout=out, stderr=err)

    outcome = dict(
        changed=bool(result.get("changed")),
        added=result.get("added", []),
        changed_fields=result.get("changed_fields", {}),
        deleted=result.get("deleted", []),
    )
    if module._diff and outcome["changed"]:
        outcome["diff"] = {"prepared": result.get("diff", "")}
    module.exit_json(**outcome)


if __name__ == "__main__":
    main()
