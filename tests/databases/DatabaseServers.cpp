#include "DatabaseServers.h"

#include "TestFiles.h"

#include <chrono>
#include <filesystem>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

DatabaseServers& Servers()
{
    static DatabaseServers servers;
    return servers;
}

std::string DatabaseServers::AsServerUser(const std::string& command) const
{
    // The servers refuse to run as the administrator.
    return ::geteuid() == 0 ? "runuser -u nobody -- sh -c " + ShellQuoted(command) : command;
}

std::string DatabaseServers::Psql() const
{
    return "psql -X -q -h " + ShellQuoted(Folder) + " -U postgres -d postgres -v ON_ERROR_STOP=1";
}

std::string DatabaseServers::Mariadb() const
{
    return "mariadb --socket=" + ShellQuoted(Folder + "/mariadb.sock") + " -u root --batch --raw t";
}

bool DatabaseServers::MakeFolder()
{
    if (!Folder.empty())
        return true;
    Folder = (fs::temp_directory_path() / ("tabulon-databases-" + std::to_string(::getpid()))).string();
    fs::remove_all(Folder);
    fs::create_directories(Folder);
    if (::geteuid() == 0 && RunShell("chown nobody " + ShellQuoted(Folder)).Status != 0) {
        Problem = "cannot hand " + Folder + " to the user nobody";
        return false;
    }
    return true;
}

bool DatabaseServers::StartPostgres()
{
    if (PostgresStarted)
        return true;
    if (!MakeFolder())
        return false;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql", ec)) {
        const std::string bin = (entry.path() / "bin").string();
        if (bin > PostgresBin) // the newest version
            PostgresBin = bin;
    }
    if (PostgresBin.empty() || !fs::exists(PostgresBin + "/initdb")) {
        Problem = "PostgreSQL's initdb is missing (scripts/install-deps installs postgresql)";
        return false;
    }
    const std::string data = Folder + "/postgres";
    const ProgramResult init = RunShell(AsServerUser(PostgresBin + "/initdb -D " + ShellQuoted(data) +
                                                     " -U postgres --auth=trust -E UTF8 --locale=C.UTF-8") +
                                        " 2>&1");
    if (init.Status != 0) {
        Problem = "initdb failed: " + init.Output;
        return false;
    }
    const ProgramResult start =
        RunShell(AsServerUser(PostgresBin + "/pg_ctl -D " + ShellQuoted(data) + " -l " +
                              ShellQuoted(Folder + "/postgres.log") + " -w -t 60 -o " +
                              ShellQuoted("-k " + Folder + " -c listen_addresses=''") + " start") +
                 " 2>&1");
    PostgresStarted = start.Status == 0;
    if (!PostgresStarted)
        Problem = "PostgreSQL did not start: " + start.Output;
    return PostgresStarted;
}

bool DatabaseServers::StartMariadb()
{
    if (MariadbStarted)
        return true;
    if (!MakeFolder())
        return false;
    // Temporary tables in the server's own folder: two servers set up at once in
    // /tmp clash on the names of their bootstrap's temporary tables.
    const ProgramResult install =
        RunShell(AsServerUser("TMPDIR=" + ShellQuoted(Folder) +
                              " mariadb-install-db --datadir=" + ShellQuoted(Folder + "/mariadb") +
                              " --auth-root-authentication-method=normal --skip-test-db") +
                 " 2>&1");
    if (install.Status != 0) {
        Problem =
            "mariadb-install-db failed (scripts/install-deps installs mariadb-server): " + install.Output;
        return false;
    }
    RunShell(AsServerUser("/usr/sbin/mariadbd --no-defaults --datadir=" + ShellQuoted(Folder + "/mariadb") +
                          " --socket=" + ShellQuoted(Folder + "/mariadb.sock") +
                          " --skip-networking --tmpdir=" + ShellQuoted(Folder) +
                          // Its default 16 MiB in small, so that a few MB show the limit of a statement.
                          " --max-allowed-packet=1M" + " --pid-file=" + ShellQuoted(Folder + "/mariadb.pid") +
                          " --log-error=" + ShellQuoted(Folder + "/mariadb.log")) +
             " >/dev/null 2>&1 &");
    for (int i = 0; i < 120 && !fs::exists(Folder + "/mariadb.sock"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    const std::string socket = " --socket=" + ShellQuoted(Folder + "/mariadb.sock") + " -u root";
    const ProgramResult database = RunShell("mariadb" + socket + " -e 'create database t' 2>&1");
    MariadbStarted = true; // to be stopped, whatever follows
    if (database.Status != 0) {
        Problem = "MariaDB did not start: " + database.Output;
        return false;
    }
    return true;
}

void DatabaseServers::Stop()
{
    if (PostgresStarted)
        RunShell(AsServerUser(PostgresBin + "/pg_ctl -D " + ShellQuoted(Folder + "/postgres") +
                              " -m fast -w stop") +
                 " >/dev/null 2>&1");
    if (MariadbStarted) {
        RunShell("mariadb-admin --socket=" + ShellQuoted(Folder + "/mariadb.sock") +
                 " -u root shutdown >/dev/null 2>&1");
        for (int i = 0; i < 120 && fs::exists(Folder + "/mariadb.pid"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    std::error_code ec;
    if (!Folder.empty())
        fs::remove_all(Folder, ec);
}
