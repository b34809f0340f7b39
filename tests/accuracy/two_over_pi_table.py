#!/usr/bin/env python3
# Prints the constants of the double sin's argument reduction (numerics/elementary_sin.cpp): the bits of
# 2/pi as 32-bit words, and pi/2 split into pieces for the Cody-Waite reduction. Integer arithmetic only;
# pi is computed with two different arctangent formulas and the outputs must agree.

WORDS = 40           # 1280 bits of 2/pi: enough for the largest double exponent plus 200 guard bits
GUARD = 64           # extra bits carried through the arctangent sums


def arctan_inverse(n, scale):
    # floor-ish arctan(1/n) * scale by its alternating series; each term is truncated, so the total
    # error is below the number of terms, far inside the guard bits.
    total = 0
    term = scale // n
    n2 = n * n
    k = 0
    while term:
        total += term // (2 * k + 1) if k % 2 == 0 else -(term // (2 * k + 1))
        term //= n2
        k += 1
    return total


def pi_machin(bits):
    scale = 1 << (bits + GUARD)
    return (16 * arctan_inverse(5, scale) - 4 * arctan_inverse(239, scale)) >> GUARD


def pi_takano(bits):
    scale = 1 << (bits + GUARD)
    return 4 * (12 * arctan_inverse(49, scale) + 32 * arctan_inverse(57, scale)
                - 5 * arctan_inverse(239, scale) + 12 * arctan_inverse(110443, scale)) >> GUARD


def two_over_pi_words(pi_fixed, bits):
    # pi_fixed = floor(pi * 2^bits) up to a unit; 2/pi * 2^(32*WORDS) from it, then checked to be
    # far enough from a word boundary that the truncation cannot matter.
    top = 32 * WORDS
    value = (1 << (top + 1 + bits)) // pi_fixed
    low = (1 << (top + 1 + bits)) // (pi_fixed + 1)
    assert value - low <= 1
    return [(value >> (32 * (WORDS - 1 - i))) & 0xFFFFFFFF for i in range(WORDS)]


def hex_double(num, den_log2):
    # num * 2^-den_log2 as a C hex-float literal (num an exact integer of at most 53 bits).
    assert 0 < num < (1 << 53)
    e = num.bit_length() - 1
    mantissa = num << (52 - e)
    exponent = e - den_log2
    frac = mantissa & ((1 << 52) - 1)
    return "0x1.%013xp%+d" % (frac, exponent)


def pio2_pieces(pi_fixed, bits, widths):
    # pi/2 = sum of pieces, each rounded to the given number of significant bits; the last piece
    # is rounded to nearest, the others too (their remainders are carried to the next piece).
    rest = pi_fixed  # pi/2 * 2^(bits+1)
    scale = bits + 1
    out = []
    for w in widths:
        sign = 1 if rest >= 0 else -1
        mag = abs(rest)
        drop = mag.bit_length() - w
        piece = ((mag + (1 << (drop - 1))) >> drop) << drop
        out.append(sign * piece)
        rest -= sign * piece
    lines = []
    for p in out:
        mag = abs(p)
        tz = (mag & -mag).bit_length() - 1
        lines.append(("-" if p < 0 else "") + hex_double(mag >> tz, scale - tz))
    return lines


def main():
    bits = 32 * WORDS + 128
    a = pi_machin(bits)
    b = pi_takano(bits)
    assert abs(a - b) <= 2, "the two formulas for pi disagree"
    wa = two_over_pi_words(a, bits)
    wb = two_over_pi_words(b, bits)
    assert wa == wb, "2/pi words differ between the formulas"
    print("// 2/pi, 32 bits a word, most significant first")
    for i in range(0, WORDS, 5):
        print("    " + ", ".join("0x%08X" % w for w in wa[i:i + 5]) + ",")
    pa = pio2_pieces(a, bits, [33, 33, 33, 53])
    pb = pio2_pieces(b, bits, [33, 33, 33, 53])
    assert pa == pb
    print("// pi/2 in pieces of 33, 33, 33 and 53 bits")
    for p in pa:
        print("    " + p)
    pc = pio2_pieces(a, bits, [53, 53])
    print("// pi/2 as a double-double")
    for p in pc:
        print("    " + p)


if __name__ == "__main__":
    main()
