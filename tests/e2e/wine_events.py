#!/usr/bin/env python3
"""The events a program wrote, as Wine 8 reports them on its debug channels
(WINEDEBUG=fixme+advapi,+eventlog), checked against the program's log.

usage: wine_events.py STDERR LOG EXPECTED...

STDERR is what the Wine process printed, LOG the program's log file. Each
EXPECTED is TYPE:CATEGORY:ID:DRIVE (numbers as Wine prints them, DRIVE "-"
for an event that is not about a drive). Passes when the events are exactly
the expected ones (in any order), one for each log entry and in the log's
order, each with the entry's text as its last string and, for a drive, the
drive and its kind before it."""
import re
import sys

KINDS = {'0x0001': 'CD-ROM', '0x0002': 'Removable', '0x0003': 'Fixed', '0x0004': 'Remote', '0x0005': 'Other'}
CALL = re.compile(r'^[0-9a-f]+:fixme:advapi:ReportEventA \((\w+),(0x\w+),(0x\w+),(0x\w+),')
STRING = re.compile(r'^[0-9a-f]+:(?:trace|warn|err):eventlog:ReportEventW L"(.*)$')
ESCAPES = {'n': '\n', 'r': '\r', 't': '\t', '"': '"', '\\': '\\'}


def unescape(text):
    """A string as Wine's debugstr_w shows it: the text and whether it was cut."""
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c == '"':
            return ''.join(out), text[i + 1:] == '...'
        if c == '\\':
            nxt = text[i + 1]
            if nxt in ESCAPES:
                out.append(ESCAPES[nxt])
                i += 2
                continue
            out.append(chr(int(text[i + 1:i + 5], 16)))
            i += 5
            continue
        out.append(c)
        i += 1
    raise ValueError(f'unterminated string: {text}')


def events(path):
    found = []
    for line in open(path, encoding='utf-8', errors='replace').read().splitlines():
        call = CALL.match(line)
        if call:
            found.append({'type': call.group(2), 'category': call.group(3), 'id': call.group(4), 'strings': []})
            continue
        string = STRING.match(line)
        if string and found:
            found[-1]['strings'].append(unescape(string.group(1)))
    return found


def log_entries(path):
    """Each entry's text as the program handed it to the log, without the final CR LF."""
    entries = []
    for line in open(path, 'rb').read().decode('cp1252').split('\r\n')[:-1]:
        if line.startswith('\t' * 7):
            entries[-1].append(line[7:])
        else:
            entries.append([line.split('\t', 3)[3]])
    return ['\r\n'.join(lines) for lines in entries]


def main():
    errors = []
    got, entries = events(sys.argv[1]), log_entries(sys.argv[2])
    if len(got) != len(entries):
        errors.append(f'{len(got)} events for {len(entries)} log entries')
    for event, entry in zip(got, entries):
        text, cut = event['strings'][-1] if event['strings'] else ('', False)
        # Wine shows about 300 characters of a string, escapes counted.
        same = entry.startswith(text) and len(text) >= 200 if cut else text == entry
        if not same:
            errors.append(f'event {event["id"]} says {text!r}{" (cut)" if cut else ""}, its log entry {entry!r}')
        if len(event['strings']) == 3 and event['strings'][1][0] != KINDS.get(event['category']):
            errors.append(f'event {event["id"]} of category {event["category"]} names the kind {event["strings"][1][0]}')
    summary = sorted(':'.join([e['type'], e['category'], e['id'],
                               e['strings'][0][0] if len(e['strings']) == 3 else '-']) for e in got)
    if summary != sorted(sys.argv[3:]):
        errors.append(f'events {summary}, expected {sorted(sys.argv[3:])}')
    for e in errors:
        print('FAIL:', e, file=sys.stderr)
    return 1 if errors else 0


sys.exit(main())
