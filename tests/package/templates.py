#!/usr/bin/env python3
"""The administrative templates: both files parse, every reference of the ADMX
resolves (in itself and in the ADML), each policy's elements and its
presentation's controls match one to one, and the key and value names are the
ones the program reads (src/settings/PolicyValues.cpp)."""
import re
import sys
import xml.etree.ElementTree as ET

src = sys.argv[1]
NS = '{http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions}'
errors = []


def check(condition, message):
    if not condition:
        errors.append(message)


def local(element):
    return element.tag.replace(NS, '')


admx = ET.parse(f'{src}/packaging/Mervane.admx').getroot()
adml = ET.parse(f'{src}/packaging/en-US/Mervane.adml').getroot()
check(admx.tag == NS + 'policyDefinitions', f'ADMX root is {admx.tag}')
check(adml.tag == NS + 'policyDefinitionResources', f'ADML root is {adml.tag}')

# The program's key and value names: string literals of PolicyValues.cpp made
# of letters only, and its one key path.
code = open(f'{src}/src/settings/PolicyValues.cpp').read()
read_names = set(re.findall(r'"([A-Za-z]+)"', code))
key_path = re.search(r'PolicyKeyPath = "([^"]+)"', code).group(1).replace('\\\\', '\\')

target = admx.find(f'{NS}policyNamespaces/{NS}target')
check(target is not None and target.get('namespace') == 'Ostrel.Policies.Mervane', 'no target namespace')
usings = {u.get('prefix') for u in admx.iter(NS + 'using')}
check(target.get('prefix') not in usings, 'the target prefix is also a using prefix')
# Child order of the schema's sequences that these files use.
ORDER = {
    'policyDefinitions': ['policyNamespaces', 'supersededAdm', 'annotation', 'resources', 'supportedOn',
                          'categories', 'policies'],
    'policy': ['annotation', 'parentCategory', 'seeAlso', 'keywords', 'supportedOn', 'enabledValue',
               'disabledValue', 'enabledList', 'disabledList', 'elements'],
    'policyDefinitionResources': ['displayName', 'description', 'annotation', 'resources'],
}
for element in list(admx.iter()) + list(adml.iter()):
    order = ORDER.get(local(element))
    if order:
        ranks = [order.index(local(c)) if local(c) in order else -1 for c in element]
        check(-1 not in ranks and ranks == sorted(ranks), f'children of {local(element)} out of order: '
              + ', '.join(local(c) for c in element))

strings = {s.get('id') for s in adml.iter(NS + 'string')}
presentations = {p.get('id'): p for p in adml.iter(NS + 'presentation')}
categories = {c.get('name') for c in admx.iter(NS + 'category')}
supported = {d.get('name') for d in admx.iter(NS + 'definition')}
for element in admx.iter():
    for name, value in element.attrib.items():
        for kind, ref in re.findall(r'\$\((\w+)\.(\w+)\)', value):
            check((kind == 'string' and ref in strings) or (kind == 'presentation' and ref in presentations),
                  f'{local(element)} {name} refers to missing {kind} {ref}')
for ref in admx.iter(NS + 'parentCategory'):
    check(ref.get('ref') in categories, f'unknown category {ref.get("ref")}')
for ref in admx.findall(f'.//{NS}policy/{NS}supportedOn'):
    check(ref.get('ref') in supported, f'unknown supportedOn {ref.get("ref")}')

CONTROL = {'boolean': 'checkBox', 'text': 'textBox', 'decimal': 'decimalTextBox', 'enum': 'dropdownList',
           'list': 'listBox', 'multiText': 'multiTextBox'}
policy_names = [p.get('name') for p in admx.iter(NS + 'policy')]
check(len(policy_names) == len(set(policy_names)), 'policy names repeat')
value_names = set()
for policy in admx.iter(NS + 'policy'):
    name = policy.get('name')
    check(policy.get('key') == key_path, f'{name}: key {policy.get("key")}, the program reads {key_path}')
    check(policy.get('class') in ('Machine', 'User', 'Both'), f'{name}: class {policy.get("class")}')
    check(policy.find(NS + 'parentCategory') is not None, f'{name} has no category')
    if policy.get('valueName'):
        value_names.add(policy.get('valueName'))
    elements = {e.get('id'): local(e) for e in policy.findall(f'{NS}elements/*')}
    value_names |= {e.get('valueName') for e in policy.findall(f'{NS}elements/*')}
    ref = re.fullmatch(r'\$\(presentation\.(\w+)\)', policy.get('presentation') or '')
    controls = {}
    if ref and ref.group(1) in presentations:
        controls = {c.get('refId'): local(c) for c in presentations[ref.group(1)] if c.get('refId')}
    check({i: CONTROL.get(t) for i, t in elements.items()} == controls,
          f'{name}: elements {elements} do not match the presentation controls {controls}')
# Locked, the common file's sum of bits, is for scripts: the template's check
# boxes write one value per bit.
check(value_names | {'Locked'} == read_names,
      f'the templates write {sorted(value_names)}, the program reads {sorted(read_names)}')
# The lock, the quarantine and the events are the machine's only.
for policy in admx.iter(NS + 'policy'):
    if policy.get('name') in ('Locks', 'Quarantine', 'EventLog'):
        check(policy.get('class') == 'Machine', f'{policy.get("name")} is not machine-only')

# Every string of the ADML is used by the ADMX.
used = set(re.findall(r'\$\(string\.(\w+)\)', open(f'{src}/packaging/Mervane.admx').read()))
check(strings == used, f'strings not used: {sorted(strings - used)}')

for e in errors:
    print('FAIL:', e)
sys.exit(1 if errors else 0)
