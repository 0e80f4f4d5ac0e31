#pragma once

#include <string>

// PostgreSQL and MariaDB servers of the tests' own, on Unix sockets in a
// temporary folder, started once for the suite and stopped at its end. As the
// administrator the servers run as the unprivileged user "nobody", as they demand.
class DatabaseServers {
  public:
    // Start a server once, on first use; false, with Problem saying why, when it does not start.
    bool StartPostgres();
    bool StartMariadb();
    // Stops what was started and removes the folder.
    void Stop();

    // Runs a client with its connection options: psql or mariadb, then the arguments.
    std::string Psql() const;
    std::string Mariadb() const;

    std::string Problem;

  private:
    bool MakeFolder();
    std::string AsServerUser(const std::string& command) const;

    std::string Folder;
    std::string PostgresBin;
    bool PostgresStarted = false;
    bool MariadbStarted = false;
};

// The servers of this test run.
DatabaseServers& Servers();
