#pragma once

namespace services {

// The byte at `address`, sign-extended: 0x80 to 0xFF read as -128 to -1.
int peek_byte(const void* address);

// Suspends the calling thread for `milliseconds` (a negative count waits not at all).
void delay_ms(int milliseconds);

}  // namespace services
