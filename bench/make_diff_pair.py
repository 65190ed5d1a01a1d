#!/usr/bin/env python3
"""Writes a 200,000-line (about 8 MB) source-like text and a copy with 1% of
its lines replaced, from a fixed seed: make_diff_pair.py OLD NEW [LINES] [PERCENT]."""
import random
import sys

WORDS = ["int", "value", "return", "if", "(", ")", "{", "}", "=", "+", "count", "next",
         "buffer", "size_t", "const", "auto", "for", ";", "while", "break", "offset",
         "length", "tarn", "record"]


def line(rng):
    words = [rng.choice(WORDS) for _ in range(rng.randrange(4, 11))]
    return "  " * rng.randrange(4) + " ".join(words) + " " + str(rng.randrange(100000))


def main():
    old_path, new_path = sys.argv[1], sys.argv[2]
    count = int(sys.argv[3]) if len(sys.argv) > 3 else 200000
    percent = float(sys.argv[4]) if len(sys.argv) > 4 else 1.0
    rng = random.Random(20240601)
    lines = [line(rng) for _ in range(count)]
    changed = list(lines)
    for _ in range(int(count * percent / 100)):
        changed[rng.randrange(count)] = line(rng)
    with open(old_path, "w") as out:
        out.write("\n".join(lines) + "\n")
    with open(new_path, "w") as out:
        out.write("\n".join(changed) + "\n")


if __name__ == "__main__":
    main()
