#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/result.h"
#include "platform/config/ini_file.h"
#include "platform/dbf/foxpro_source.h"
#include "platform/recordset/recordset.h"
#include "platform/sources/kept_connections.h"
#include "platform/sql/connection.h"
#include "platform/sql/odbc/odbc_connection.h"
#include "platform/sql/postgres/copy_connection.h"
#include "platform/sql/sqlite/sqlite_connection.h"

namespace zuna::sources {

enum class Backend { kFoxPro, kSqlite, kOdbc };

// What a data source name or a server name resolved to.
struct DataSource {
  Backend backend = Backend::kSqlite;
  std::filesystem::path path;   // the database file (sqlite) or the data folder (FoxPro)
  std::string odbc_connection;  // the connection string (ODBC)
  sql::odbc::OdbcOptions odbc;  // how rows are sent (ODBC)
  // A PostgreSQL server's import rows go through libpq's COPY (PostgresCopy = Yes, the default).
  bool postgres_copy = true;
  dbf::FoxProSourceOptions foxpro;  // how FoxPro tables are read
  std::string name;                 // the data source name asked for ("pay")
  std::string origin;               // where the definition came from, for messages
};

// ADO's number for a failure reported through ODBC or a data source that cannot be used.
inline constexpr long kErrProvider = -2147467259;

// Resolves the system's data source names ("dsn=pay", "dsn=foxpay", the report window's
// "DSN=pay;uid=;pwd=;Exclusive=Yes") and its OLE DB connection strings (the master and database
// prefixes and the fixed-server string, each with a server name), and opens what they name.
// A data source name is looked up, first match wins, in the section of that name in zuna.ini,
// then among unixODBC's data sources, then in the built-in defaults: "pay" is the embedded
// database zuna.db in the program folder, "foxpay" the FoxPro tables in its folder "zuna".
// A server name is a folder holding <catalog>.db unless zuna.ini's [server] section names an
// ODBC connection string.
class DataSources {
 public:
  // Reads zuna.ini in the program folder (a missing file means defaults only) and the names of
  // unixODBC's data sources.
  static Result<DataSources> Load(const std::filesystem::path& program_folder);
  DataSources(std::filesystem::path program_folder, config::IniFile ini,
              std::vector<std::string> odbc_data_sources);

  const std::filesystem::path& program_folder() const { return program_folder_; }
  // zuna.ini as read, for a front end that checks it and names the lines settings came from.
  const config::IniFile& settings() const { return ini_; }

  // The folder of the FoxPro tables, where the import tests each table's file.
  std::filesystem::path DataFolder() const;

  // The instance Delete Duplicate Records always uses: [server] FixedServer, or the built-in one
  // when that is absent or empty.
  std::string FixedServerName() const;

  // Resolves an ODBC text such as "dsn=pay" or "DSN=pay;uid=;pwd=;Exclusive=Yes".
  Result<DataSource> Resolve(std::string_view odbc_text) const;

  // Opens a recordset for `source` on the data source that `odbc_text` names; each open makes
  // its own connection.
  Result<std::unique_ptr<recordset::Recordset>> OpenRecordset(std::string_view source,
                                                              std::string_view odbc_text) const;

  // Opens a connection with a connection string alone: an OLE DB string (Provider=...;
  // Initial Catalog=...;Data Source=<server>) or an ODBC text. A server name holding ';', '{',
  // '}', '=' or a control character is refused before anything is opened. A connection that
  // fails says what it tried: the data source or server, where its definition came from
  // (zuna.ini, odbc.ini or the built-in default), and the server and database it names.
  Result<std::shared_ptr<sql::Connection>> OpenConnection(std::string_view connection_string) const;

  // The embedded engine's grouping of saves.
  void set_sqlite_options(const sql::sqlite::SqliteOptions& options) { sqlite_options_ = options; }

  // Every ODBC connection to a data source opened from here on adds what it sent to `totals`
  // when it goes (for tests and benchmarks); null stops it.
  void set_odbc_send_totals(sql::odbc::OdbcSendCounts* totals) { odbc_totals_ = totals; }

  // Embedded databases opened on this thread while `kept` is set are opened through it, so that
  // a connection released by a closed recordset serves the next (KeptConnections); null stops
  // it. The import sets it for its copy (ConnectionReuse).
  void set_kept_connections(KeptConnections* kept) const { kept_ = kept; }

  // How the COPY path of a PostgreSQL target sends its rows (tests and benchmarks: the counts,
  // the faults, the wait for a lost server).
  void set_copy_options(const sql::postgres::CopyOptions& options) { copy_options_ = options; }

 private:
  Result<DataSource> FromSection(std::string_view name) const;
  // RowsPerBatch and PostgresCopy of a section that names an ODBC database.
  Result<sql::odbc::OdbcOptions> OdbcOptionsOf(std::string_view section,
                                               std::string_view origin) const;
  Result<std::shared_ptr<sql::Connection>> Connect(const DataSource& source) const;
  // Opens a connection through zuna.ini's [server] connection string, `{server}` and
  // `{catalog}` filled in. The administrative catalog (master) is the server's own: master,
  // postgres or none, found by connecting.
  Result<std::shared_ptr<sql::Connection>> ConnectToServer(const std::string& server,
                                                           const std::string& catalog) const;

  std::filesystem::path program_folder_;
  config::IniFile ini_;
  std::vector<std::string> odbc_data_sources_;
  sql::sqlite::SqliteOptions sqlite_options_;
  sql::odbc::OdbcSendCounts* odbc_totals_ = nullptr;
  sql::postgres::CopyOptions copy_options_;
  mutable KeptConnections* kept_ = nullptr;
};

// For as long as it lives, the embedded target's connection is kept from one recordset of
// `sources` to the next on this thread; at its end the kept connection is closed, so that
// nothing is shared with what runs afterwards.
class ConnectionReuse {
 public:
  explicit ConnectionReuse(const DataSources& sources) : sources_(sources) {
    sources_.set_kept_connections(&kept_);
  }
  ~ConnectionReuse() { sources_.set_kept_connections(nullptr); }
  ConnectionReuse(const ConnectionReuse&) = delete;
  ConnectionReuse& operator=(const ConnectionReuse&) = delete;

  const KeptConnections& kept() const { return kept_; }

 private:
  const DataSources& sources_;
  KeptConnections kept_;
};

}  // namespace zuna::sources
