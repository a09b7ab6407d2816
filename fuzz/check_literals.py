#!/usr/bin/env python3
"""Checks that the escaped literals of the clang build hold the same bytes as GCC's.

Every string or character literal with non-ASCII text in the given folders is compiled
twice with GCC: as written, with -fexec-charset=CP932 (as the game is built), and as
escape_literals.py rewrites it, with no charset switch. The read-only data of the two
objects must be equal byte for byte.

usage: check_literals.py SOURCE_ROOT WORK_DIR DIR...
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from escape_literals import escape_literal, split_literals  # noqa: E402


def rodata(obj: str) -> bytes:
    out = obj + '.rodata'
    subprocess.run(['objcopy', '-O', 'binary', '--only-section=.rodata', obj, out], check=True)
    with open(out, 'rb') as f:
        return f.read()


def main() -> int:
    src_root, work, dirs = sys.argv[1], sys.argv[2], sys.argv[3:]
    literals = []
    for d in dirs:
        for base, _, files in sorted(os.walk(os.path.join(src_root, d))):
            for name in sorted(files):
                if not name.endswith(('.cpp', '.h', '.inc')):
                    continue
                path = os.path.join(base, name)
                with open(path, encoding='utf-8') as f:
                    for lit, piece in split_literals(f.read()):
                        if lit and any(ord(ch) >= 0x80 for ch in piece):
                            literals.append((path, piece))
    if not literals:
        print('check_literals: no non-ASCII literal found', file=sys.stderr)
        return 1
    os.makedirs(work, exist_ok=True)
    results = []
    for kind, extra in (('cp932', ['-finput-charset=UTF-8', '-fexec-charset=CP932']), ('escaped', [])):
        source = os.path.join(work, kind + '.cpp')
        with open(source, 'w', encoding='utf-8') as f:
            for n, (_, piece) in enumerate(literals):
                text = piece if kind == 'cp932' else escape_literal(piece)
                if piece.startswith('"'):
                    f.write('extern const char nl_literal_%d[] = %s;\n' % (n, text))
                else:
                    f.write('extern const int nl_literal_%d = %s;\n' % (n, text))
        obj = os.path.join(work, kind + '.o')
        subprocess.run(['g++', '-std=c++20', '-O0', '-c', source, '-o', obj] + extra, check=True)
        results.append(rodata(obj))
    if results[0] != results[1]:
        print('check_literals: the escaped literals differ from the CP932 build', file=sys.stderr)
        return 1
    print('check_literals: %d literals, %d bytes, equal' % (len(literals), len(results[0])))
    return 0


if __name__ == '__main__':
    sys.exit(main())
