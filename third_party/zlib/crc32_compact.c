/* Not zlib's file: a compact CRC-32 in place of zlib's crc32.c. Eight bytes a step
 * through eight tables made on first use (in memory, not in the program): the setup
 * program checks its whole archive before the dialog, and this is several times as
 * fast as zlib's byte-wise loop in less code. Same results as zlib's crc32(). */
#include "zlib.h"

static z_crc_t tables[8][256];
static int tablesMade;

/* Threads that come here at once make the same tables, each entry with the same
 * value; the flag is set only once they are whole. */
static void MakeTables(void)
{
    for (unsigned n = 0; n < 256; n++) {
        z_crc_t c = n;
        for (int k = 0; k < 8; k++)
            c = c & 1 ? 0xedb88320u ^ (c >> 1) : c >> 1;
        tables[0][n] = c;
    }
    /* tables[k][n]: the CRC of byte n followed by k zero bytes. */
    for (int k = 1; k < 8; k++)
        for (unsigned n = 0; n < 256; n++)
            tables[k][n] = (tables[k - 1][n] >> 8) ^ tables[0][tables[k - 1][n] & 0xff];
    __atomic_store_n(&tablesMade, 1, __ATOMIC_RELEASE);
}

uLong ZEXPORT crc32_z(uLong crc, const Bytef* buf, z_size_t len)
{
    if (buf == Z_NULL)
        return 0;
    if (!__atomic_load_n(&tablesMade, __ATOMIC_ACQUIRE))
        MakeTables();
    z_crc_t c = (z_crc_t)(crc & 0xffffffffu) ^ 0xffffffffu;
    for (; len >= 8; len -= 8, buf += 8) {
        c ^= (z_crc_t)buf[0] | (z_crc_t)buf[1] << 8 | (z_crc_t)buf[2] << 16 | (z_crc_t)buf[3] << 24;
        c = tables[7][c & 0xff] ^ tables[6][(c >> 8) & 0xff] ^ tables[5][(c >> 16) & 0xff] ^ tables[4][c >> 24] ^
            tables[3][buf[4]] ^ tables[2][buf[5]] ^ tables[1][buf[6]] ^ tables[0][buf[7]];
    }
    for (; len; len--)
        c = (c >> 8) ^ tables[0][(c ^ *buf++) & 0xff];
    return c ^ 0xffffffffu;
}

uLong ZEXPORT crc32(uLong crc, const Bytef* buf, uInt len)
{
    return crc32_z(crc, buf, len);
}
