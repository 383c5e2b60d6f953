// Sealing a server store's passwords on the station.
#include "store/sealed_text.h"

#include <gtest/gtest.h>

namespace store::test {
namespace {

TEST(SealedTextTest, ASealOpensToItsTextAndToNothingElse) {
    for (std::string_view text : {"", "8260947315", "tulip77   ", "\xe9t\xe9"}) {
        const std::string sealed = sealText(text);
        EXPECT_EQ(0u, sealed.find("$tbx1$"));
        EXPECT_EQ(std::string(text), openText(sealed));
        // Every write seals anew: equal passwords do not look equal on the server.
        EXPECT_NE(sealed, sealText(text));
    }
    // A value without the mark was written by hand and is taken as it is.
    EXPECT_EQ("plain", openText("plain"));
    EXPECT_EQ("", openText(""));

    // Any change to a seal, or a seal cut short, opens to nothing a keyboard can type.
    const std::string sealed = sealText("8260947315");
    for (std::size_t i = 6; i < sealed.size(); ++i) {
        std::string spoilt = sealed;
        spoilt[i] = spoilt[i] == 'A' ? 'B' : 'A';
        const std::string opened = openText(spoilt);
        EXPECT_NE("8260947315", opened) << i;
        EXPECT_EQ(kUnopenedSeal, opened) << i;
    }
    EXPECT_EQ(kUnopenedSeal, openText(sealed.substr(0, sealed.size() - 4)));
    EXPECT_EQ(kUnopenedSeal, openText("$tbx1$"));
    EXPECT_EQ(kUnopenedSeal, openText("$tbx1$not base64!"));
}

}  // namespace
}  // namespace store::test
