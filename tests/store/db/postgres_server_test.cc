// The PostgreSQL server the database tests run against starts in a scratch
// folder of its own, answers on its socket only, and is gone afterwards.
#include "support/postgres_server.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <filesystem>
#include <string>

namespace tarvelin::testing {
namespace {

TEST(PostgresServerTest, AnswersOnItsSocketAndStopsAtTheEnd) {
  std::string socket_file;
  {
    PostgresServer server;
    ASSERT_TRUE(server.ok()) << server.why();
    socket_file = server.socket_folder() + "/.s.PGSQL." + std::to_string(server.port());
    EXPECT_TRUE(std::filesystem::exists(socket_file));

    PGconn* connection = PQconnectdb(server.ConnectionText().c_str());
    ASSERT_EQ(PQstatus(connection), CONNECTION_OK) << PQerrorMessage(connection);
    PGresult* answer = PQexec(connection,
                              "SELECT current_user, current_setting('listen_addresses'), 6 * 7");
    ASSERT_EQ(PQresultStatus(answer), PGRES_TUPLES_OK) << PQerrorMessage(connection);
    EXPECT_EQ(std::string(PQgetvalue(answer, 0, 0)), server.user());
    EXPECT_EQ(std::string(PQgetvalue(answer, 0, 1)), "") << "no TCP port";
    EXPECT_EQ(std::string(PQgetvalue(answer, 0, 2)), "42");
    PQclear(answer);
    PQfinish(connection);
  }
  EXPECT_FALSE(std::filesystem::exists(socket_file)) << "stopped and removed";
}

}  // namespace
}  // namespace tarvelin::testing
