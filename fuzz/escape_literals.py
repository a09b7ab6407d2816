#!/usr/bin/env python3
"""Copies the game's code into a tree clang can build.

The game's literals are Shift-JIS (GCC turns the UTF-8 sources into CP932 bytes); clang
only emits UTF-8, so every non-ASCII character inside a string or character literal is
rewritten as three-digit octal escapes of its CP932 bytes. Octal, not hex: a hex escape
would swallow a following hex digit. Comments and everything else are copied untouched.
Files are only rewritten when their content changes, so the build stays incremental.

usage: escape_literals.py SOURCE_ROOT OUT_ROOT DIR...
"""
import os
import sys


def split_literals(text: str):
    """The text as (is_literal, piece) pairs; literals are string and character ones."""
    pieces = []
    i, n, plain = 0, len(text), 0

    def flush(upto):
        if upto > plain:
            pieces.append((False, text[plain:upto]))

    while i < n:
        c = text[i]
        if text.startswith('//', i):
            j = text.find('\n', i)
            i = n if j < 0 else j
        elif text.startswith('/*', i):
            j = text.find('*/', i + 2)
            i = n if j < 0 else j + 2
        elif c == 'R' and text.startswith('"', i + 1) and not (i and (text[i - 1].isalnum() or text[i - 1] == '_')
                                                             and text[i - 1] not in '8LuU'):
            # A raw string: kept as it is (none holds non-ASCII text).
            k = text.find('(', i + 2)
            delim = ')' + text[i + 2:k] + '"'
            i = text.find(delim, k) + len(delim)
        elif c == "'" and i and text[i - 1].isalnum() and not text[i - 1].isalpha():
            i += 1  # a digit separator (1'000), not a character literal
        elif c in '"\'':
            flush(i)
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == '\\' else 1
            pieces.append((True, text[i:j + 1]))
            i = plain = j + 1
        else:
            i += 1
    flush(n)
    return pieces


def escape_literal(literal: str) -> str:
    return ''.join(ch if ord(ch) < 0x80 else ''.join('\\%03o' % b for b in ch.encode('cp932'))
                   for ch in literal)


def escape_literals(text: str) -> str:
    return ''.join(escape_literal(p) if lit else p for lit, p in split_literals(text))


def write_if_changed(path: str, data: bytes) -> None:
    try:
        with open(path, 'rb') as f:
            if f.read() == data:
                return
    except FileNotFoundError:
        pass
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as f:
        f.write(data)


def main() -> int:
    src_root, out_root, dirs = sys.argv[1], sys.argv[2], sys.argv[3:]
    for d in dirs:
        copied = set()
        for base, _, files in os.walk(os.path.join(src_root, d)):
            for name in files:
                src = os.path.join(base, name)
                rel = os.path.relpath(src, src_root)
                copied.add(rel)
                with open(src, 'rb') as f:
                    data = f.read()
                if name.endswith(('.cpp', '.h', '.inc')):
                    data = escape_literals(data.decode('utf-8')).encode('utf-8')
                write_if_changed(os.path.join(out_root, rel), data)
        # A file moved or deleted in the code must not linger in the copy: the libraries glob it.
        for base, _, files in os.walk(os.path.join(out_root, d)):
            for name in files:
                path = os.path.join(base, name)
                if os.path.relpath(path, out_root) not in copied:
                    os.remove(path)
    return 0


if __name__ == '__main__':
    sys.exit(main())
