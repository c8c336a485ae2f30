#!/usr/bin/env python3
"""The include order of src/: each folder may include only itself and the folders
allowed for it here (the README's Layout table). Prints every include that breaks
it and exits 1; exits 0 when there is none."""
import os
import re
import sys

# Folder -> the folders it may include. Keep in step with the README.
ALLOWED = {
    'framework': set(),
    'common': {'framework'},
    'process': {'common', 'framework'},
    'skin': {'common', 'framework'},
    'http': {'common', 'framework'},
    'browser': {'http', 'common', 'framework'},
    'sound': {'common', 'framework'},
    'trust': {'process', 'common', 'framework'},
    'settings': {'skin', 'process', 'common', 'framework'},
    'downloads': {'browser', 'http', 'skin', 'trust', 'process', 'common', 'framework'},
    'launcher': {'downloads', 'settings', 'browser', 'skin', 'process', 'common', 'framework'},
    'gamepage': {'downloads', 'settings', 'sound', 'browser', 'skin', 'process', 'common', 'framework'},
    'app': {'launcher', 'gamepage', 'downloads', 'settings', 'sound', 'browser', 'http', 'skin', 'trust',
            'process', 'common', 'framework'},
}
# Resource ids, included from anywhere.
ANYWHERE = {'res'}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([A-Za-z0-9_]+)/')


def faults(src):
    found = []
    for folder in sorted(os.listdir(src)):
        path = os.path.join(src, folder)
        if not os.path.isdir(path):
            continue
        if folder not in ALLOWED:
            found.append(f'{folder}/: a folder the include order does not know')
            continue
        for root, _, files in os.walk(path):
            for name in sorted(files):
                if not name.endswith(('.h', '.cpp')):
                    continue
                file = os.path.join(root, name)
                with open(file, encoding='utf-8', errors='replace') as f:
                    for number, line in enumerate(f, 1):
                        m = INCLUDE.match(line)
                        if not m:
                            continue
                        target = m.group(1)
                        if target == folder or target in ANYWHERE or target in ALLOWED[folder]:
                            continue
                        found.append(f'{os.path.relpath(file, src)}:{number}: {folder} includes {target}')
    return found


def main():
    src = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..', 'src')
    bad = faults(src)
    for line in bad:
        print(line)
    return 1 if bad else 0


if __name__ == '__main__':
    sys.exit(main())
