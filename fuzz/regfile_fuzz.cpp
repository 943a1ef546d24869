// The registry-file import ("VLW.reg" of a backup set): decode the bytes and
// parse the text, as a restore does before it touches any setting.

#include <cstdint>

#include <QByteArray>

#include "shell/settings/regfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const velm::RegParse parse = velm::parseRegText(velm::decodeRegFile(bytes));
    (void)parse.ok();
    return 0;
}
