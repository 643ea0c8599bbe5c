// The hex editor in which binary files and sectors are viewed and edited. It is a screen
// of the user interface; content modules reach it through this hook, which the program
// installs at start (tests install a stand-in).
#pragma once

#include <cstdint>
#include <functional>

namespace agat {

// Shows the SIZE bytes at BUF, addressed from OFFS, in the hex editor; with READONLY they
// cannot be changed. True when the user changed the block and confirmed saving it (the
// bytes at BUF then hold the change). Without an installed editor: false, nothing shown.
bool HEXDUMP(std::uint8_t* BUF, std::int32_t SIZE, std::int32_t OFFS, bool READONLY);

using HexDumpHook =
    std::function<bool(std::uint8_t* buf, std::int32_t size, std::int32_t offs, bool read_only)>;
void set_hexdump_hook(HexDumpHook hook);

}  // namespace agat
