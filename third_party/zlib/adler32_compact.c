/* Not zlib's file: a compact Adler-32 in place of zlib's adler32.c, whose unrolled
 * loops and combine functions cost the setup program 700 bytes. Same results; the
 * sums are reduced at least every 5552 bytes (zlib's NMAX), so they never overflow. */
#include "zlib.h"

uLong ZEXPORT adler32(uLong adler, const Bytef* buf, uInt len)
{
    enum { kBase = 65521, kLongestRun = 5552 };
    unsigned long a = adler & 0xffff, b = (adler >> 16) & 0xffff;
    if (buf == Z_NULL)
        return 1L;
    while (len > 0) {
        uInt run = len < kLongestRun ? len : kLongestRun;
        len -= run;
        while (run--) {
            a += *buf++;
            b += a;
        }
        a %= kBase;
        b %= kBase;
    }
    return (b << 16) | a;
}
