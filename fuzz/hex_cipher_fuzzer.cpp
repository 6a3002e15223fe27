// Hex text and enciphered payloads as a hand-edited data file may hold them: decoding never fails
// loudly, and whatever decodes encodes back to the same thing.
#include <string_view>

#include "core/hex_text.h"
#include "core/payload_cipher.h"
#include "fuzz/fuzz_support.h"

using fuzzsupport::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::Setup();
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const auto bytes = TryFromHex(text);
    Check(FromHex(text) == bytes.value_or(std::vector<uint8_t>()), "both hex readers agree");
    if (bytes) {
        Check(TryFromHex(ToHex(*bytes)) == bytes, "hex read back");
        Check(TryFromHex(ToSpacedHex(*bytes)) == bytes, "spaced hex read back");
    }

    const std::string plain = DecryptPayload(text);
    if (!plain.empty())
        Check(DecryptPayload(EncryptPayload(plain)) == plain, "a deciphered payload enciphers back");
    if (!text.empty()) Check(DecryptPayload(EncryptPayload(text)) == text, "any text survives the cipher");
    fuzzsupport::ForgetLog();
    return 0;
}
