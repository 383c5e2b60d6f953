// How a station connects to the server its folder names: what it adds to the server file's
// parameters, and what it never overrides.
#include <gtest/gtest.h>

#include <map>

#include "store/sql_backend.h"

namespace store::test {
namespace {

std::map<std::string, std::string> parametersOf(const std::string& conninfo) {
    std::string error;
    const auto params = sql::connectionParameters(conninfo, error);
    EXPECT_EQ("", error) << conninfo;
    return {params.begin(), params.end()};
}

TEST(ServerConnectionTest, TextsTravelEncryptedToAServerOnAnotherMachine) {
    // Over the network the server must encrypt, or the connection is refused.
    EXPECT_EQ("require", parametersOf("host=db.example.org dbname=tembrix")["sslmode"]);
    EXPECT_EQ("require", parametersOf("postgresql://db.example.org/tembrix")["sslmode"]);
    EXPECT_EQ("require", parametersOf("host=/run/postgresql,db.example.org")["sslmode"]);
    // On the machine itself nothing travels.
    for (const char* local : {"host=/run/postgresql dbname=tembrix", "host=localhost",
                              "hostaddr=127.0.0.1", "dbname=tembrix"})
        EXPECT_EQ(0u, parametersOf(local).count("sslmode")) << local;
    // What the file says holds, a stricter check of the server's certificate as well as an
    // explicit plain connection.
    EXPECT_EQ("verify-full", parametersOf("host=db.example.org sslmode=verify-full")["sslmode"]);
    EXPECT_EQ("disable", parametersOf("host=10.0.0.5 sslmode=disable")["sslmode"]);
}

TEST(ServerConnectionTest, AServerThatDoesNotAnswerIsGivenUpAfterAWait) {
    auto params = parametersOf("host=db.example.org dbname=tembrix");
    EXPECT_EQ("10", params["connect_timeout"]);
    EXPECT_EQ("tembrixm", params["application_name"]);
    EXPECT_EQ("tembrix", params["dbname"]);
    params = parametersOf("host=db.example.org connect_timeout=3 application_name=desk4");
    EXPECT_EQ("3", params["connect_timeout"]);
    EXPECT_EQ("desk4", params["application_name"]);

    std::string error;
    EXPECT_TRUE(sql::connectionParameters("host=db.example.org dbname", error).empty());
    EXPECT_NE("", error);
}

}  // namespace
}  // namespace store::test
