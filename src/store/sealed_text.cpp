#include "sealed_text.h"

#include "sql_backend.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <array>
#include <cstring>
#include <memory>
#include <vector>

namespace store {

namespace {

constexpr std::string_view kMark = "$tbx1$";
constexpr int kNonce = 12;
constexpr int kTag = 16;

using Key = std::array<unsigned char, 32>;

/// The key, derived once from the built-in owner password that also encrypts a folder's
/// users file.
const Key& key() {
    static const Key k = [] {
        Key out{};
        static const unsigned char kSalt[] = "tembrix sealed users";
        PKCS5_PBKDF2_HMAC(sql::kOwnerPassword, int(std::strlen(sql::kOwnerPassword)), kSalt,
                          int(sizeof kSalt - 1), 20000, EVP_sha256(), int(out.size()), out.data());
        return out;
    }();
    return k;
}

using Context = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

std::string base64(const std::vector<unsigned char>& bytes) {
    std::string out(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()), bytes.data(),
                                  int(bytes.size()));
    out.resize(std::size_t(n));
    return out;
}

bool unbase64(std::string_view text, std::vector<unsigned char>& bytes) {
    if (text.empty() || text.size() % 4 != 0) return false;
    bytes.assign(3 * text.size() / 4 + 1, 0);
    const int n = EVP_DecodeBlock(bytes.data(), reinterpret_cast<const unsigned char*>(text.data()),
                                  int(text.size()));
    if (n < 0) return false;
    std::size_t size = std::size_t(n);
    // EVP_DecodeBlock counts the padding as bytes.
    for (std::size_t i = text.size(); i > 0 && text[i - 1] == '='; --i) --size;
    bytes.resize(size);
    return true;
}

}  // namespace

std::string sealText(std::string_view plain) {
    std::vector<unsigned char> out(kNonce + plain.size() + kTag);
    if (RAND_bytes(out.data(), kNonce) != 1) return std::string(kUnopenedSeal);
    Context ctx(EVP_CIPHER_CTX_new(), EVP_CIPHER_CTX_free);
    int len = 0;
    bool ok = ctx && EVP_EncryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, key().data(),
                                        out.data()) == 1;
    ok = ok && EVP_EncryptUpdate(ctx.get(), out.data() + kNonce, &len,
                                 reinterpret_cast<const unsigned char*>(plain.data()),
                                 int(plain.size())) == 1;
    ok = ok && EVP_EncryptFinal_ex(ctx.get(), out.data() + kNonce + len, &len) == 1;
    ok = ok && EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_GET_TAG, kTag,
                                   out.data() + kNonce + plain.size()) == 1;
    // A password that could not be sealed is never sent as it is.
    if (!ok) return std::string(kUnopenedSeal);
    return std::string(kMark) + base64(out);
}

std::string openText(std::string_view stored) {
    if (stored.substr(0, kMark.size()) != kMark) return std::string(stored);
    std::vector<unsigned char> bytes;
    if (!unbase64(stored.substr(kMark.size()), bytes) || bytes.size() < kNonce + kTag)
        return std::string(kUnopenedSeal);
    const std::size_t size = bytes.size() - kNonce - kTag;
    std::string plain(size, '\0');
    Context ctx(EVP_CIPHER_CTX_new(), EVP_CIPHER_CTX_free);
    int len = 0;
    bool ok = ctx && EVP_DecryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, key().data(),
                                        bytes.data()) == 1;
    ok = ok && EVP_DecryptUpdate(ctx.get(), reinterpret_cast<unsigned char*>(plain.data()), &len,
                                 bytes.data() + kNonce, int(size)) == 1;
    ok = ok && EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_TAG, kTag,
                                   bytes.data() + kNonce + size) == 1;
    unsigned char rest[16];
    ok = ok && EVP_DecryptFinal_ex(ctx.get(), rest, &len) == 1;
    return ok ? plain : std::string(kUnopenedSeal);
}

}  // namespace store
