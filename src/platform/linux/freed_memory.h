#pragma once

namespace platform {

// Gives the pages that freed memory leaves unused back to the system. The C library keeps them
// for the next allocation, so a program that is idle most of its life and busy now and then
// (a panel opened, painted, closed) would otherwise stay at its busiest size.
void returnFreedMemory();

} // namespace platform
