/* The Internet checksum of any bytes, at any alignment. */
#include "fakes.h"
#include "../../probe/services.h"

/* One's complement addition is addition modulo 65535, where the sum of
 * anything but zeros is never 0. */
static uint16_t usExpected(const uint8_t *p, size_t n)
{
    uint64_t ullSum = 0;
    for (size_t i = 0; i + 1 < n; i += 2)
        ullSum += (uint16_t)(p[i] | p[i + 1] << 8);
    if (n % 2)
        ullSum += p[n - 1];
    uint64_t ullFolded = ullSum == 0 ? 0 : (ullSum - 1) % 0xFFFF + 1;
    return (uint16_t)~ullFolded;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0 || size > 65536)
        return 0;
    /* The first byte chooses an odd start now and then. */
    size_t iSkip = data[0] & 1;
    u_short us = checksum(data + iSkip, (int)(size - iSkip));
    if (us != usExpected(data + iSkip, size - iSkip))
        Fail("checksum %04x of %zu bytes, expected %04x", us, size - iSkip,
             usExpected(data + iSkip, size - iSkip));
    return 0;
}
