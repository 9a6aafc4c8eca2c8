#!/usr/bin/env python3
"""The event log's message table (res/MervaneEvents.mc) against what documents
and registers it: the README's table and the read-me's list the same ids,
levels and texts (each text up to its first %n), the ids lie in the ranges
their levels give them, and both installers register as many categories as
the table has."""
import re
import sys

src = sys.argv[1]
errors = []
LEVELS = {'Informational': 'Information', 'Warning': 'Warning', 'Error': 'Error'}
# The drive findings' ranges; the 4000s and 5000s hold any level.
RANGES = {1: 'Information', 2: 'Warning', 3: 'Error'}


def check(condition, message):
    if not condition:
        errors.append(message)


def read(path):
    return open(f'{src}/{path}', encoding='ascii', newline='').read()


categories, events = [], []
for block in re.finditer(r'^MessageId=(\d+)\n(.*?)^Language=English\n(.*?)^\.$', read('res/MervaneEvents.mc'),
                         re.M | re.S):
    number, header, text = int(block.group(1)), block.group(2), block.group(3).strip()
    severity = re.search(r'^Severity=(\w+)', header, re.M).group(1)
    if severity == 'Success':
        categories.append(number)
    else:
        events.append((number, LEVELS[severity], text.split('%n')[0]))
check(categories == list(range(1, len(categories) + 1)), f'categories are not numbered from 1: {categories}')
check(len(events) > 0, 'no events in the message table')
for number, level, _ in events:
    check(RANGES.get(number // 1000, level) == level, f'{number} is {level}, outside its range')

readme = [(int(m.group(1)), m.group(2), m.group(3))
          for m in re.finditer(r'^\| (\d+) \| (\w+) \| [^|]+ \| (.*) \|$', read('README.md'), re.M)]
check(readme == events, f'the README lists {readme}, the message table has {events}')

guide, row = [], None
text = read('res/Readme.ENU.txt')
check(text.count('\n') == text.count('\r\n'), 'Readme.ENU.txt has a line end that is not CR LF')
table = text.split('  Id    Level        Text\r\n', 1)
check(len(table) == 2, 'no table of events in Readme.ENU.txt')
for line in table[-1].split('\r\n'):
    start = re.match(r'^  (\d{4})  (\w+) +(.*)$', line)
    if start:
        guide.append([int(start.group(1)), start.group(2), start.group(3)])
    elif line.startswith(' ' * 21) and guide:
        guide[-1][2] += ' ' + line.strip()
    else:
        break
guide = [tuple(g) for g in guide]
check(guide == events, f'Readme.ENU.txt lists {guide}, the message table has {events}')

count = len(categories)
nsi = re.search(r'^!define EVENT_CATEGORIES (\d+)$', read('packaging/Mervane.nsi'), re.M)
check(nsi and int(nsi.group(1)) == count, f'the installer registers {nsi and nsi.group(1)} categories, not {count}')
wxs = re.search(r'Name="CategoryCount" Type="integer" Value="(\d+)"', read('packaging/Mervane.wxs'))
check(wxs and int(wxs.group(1)) == count, f'the MSI registers {wxs and wxs.group(1)} categories, not {count}')

for e in errors:
    print('FAIL:', e)
sys.exit(1 if errors else 0)
