#include "platform/sources/data_sources.h"

#include <charconv>

#include "core/connection_texts.h"
#include "core/file_names.h"
#include "platform/sources/connection_string.h"
#include "platform/sources/postgres_target.h"
#include "platform/sql/dialect/server_dialect.h"
#include "platform/sql/odbc/connection_attributes.h"
#include "platform/sql/odbc/data_source_info.h"
#include "platform/sql/odbc/odbc_connection.h"
#include "platform/sql/sql_errors.h"
#include "platform/sql/sql_recordset.h"
#include "platform/sql/sqlite/database_files.h"
#include "platform/text/ascii.h"

namespace zuna::sources {

namespace fs = std::filesystem;
using sql::odbc::OdbcConnection;

namespace {

constexpr std::string_view kDataSourceKey = "data source=";

// An ODBC text of the system's as a driver should read it. "uid=;pwd=" of the report window's
// text means no login given, so the data source's own applies: an empty value would replace it
// (psqlODBC then signs in as the operating system's user, MariaDB's driver as the anonymous one).
// "Exclusive" is ADO's, not ODBC's.
std::string DriverText(std::string_view odbc_text) {
  std::vector<sql::odbc::ConnectionAttribute> attributes =
      sql::odbc::ParseConnectionString(odbc_text);
  std::erase_if(attributes, [](const sql::odbc::ConnectionAttribute& attribute) {
    const std::string key = text::LowerAscii(attribute.key);
    return key == "exclusive" || ((key == "uid" || key == "pwd") && attribute.value.empty());
  });
  return sql::odbc::FormatConnectionString(attributes);
}

// What a data source that did not connect names, for the message: "data source pay
// (zuna.ini [pay]): DSN zuna_pg (/home/u/.odbc.ini), driver ..., server dbhost, database zuna".
std::string TargetOf(const DataSource& source) {
  std::string words = "data source " + source.name + " (" + source.origin + ")";
  if (source.backend == Backend::kOdbc)
    return words + ": " + sql::odbc::DescribeTarget(source.odbc_connection);
  return words + ": database file " + source.path.string();
}

Status NotConfigured(std::string_view name) {
  return Status(ErrorKind::kNotFound, kErrProvider,
                "[IM002] Data source name not found and no default driver specified (" +
                    std::string(name) + ")");
}

}  // namespace

Result<DataSources> DataSources::Load(const fs::path& program_folder) {
  ASSIGN_OR_RETURN(config::IniFile ini,
                   config::IniFile::Load(program_folder / std::string(core::kConfigFileName)));
  return DataSources(program_folder, std::move(ini), sql::odbc::ListDataSources());
}

DataSources::DataSources(fs::path program_folder, config::IniFile ini,
                         std::vector<std::string> odbc_data_sources)
    : program_folder_(std::move(program_folder)),
      ini_(std::move(ini)),
      odbc_data_sources_(std::move(odbc_data_sources)) {}

fs::path DataSources::DataFolder() const {
  auto source = Resolve(core::kFoxPayConnection);
  if (source.ok() && source->backend == Backend::kFoxPro) return source->foxpro.data_folder;
  const auto configured = ini_.Get(std::string(core::kFoxProDataSource), "SourceDB");
  return program_folder_ / (configured ? *configured : std::string(core::kDataFolderName));
}

std::string DataSources::FixedServerName() const {
  // "FixedServer =" left empty, as zuna.ini is shipped, means the built-in server; an empty
  // name would be the program folder's own database.
  const auto configured = ini_.Get("server", "FixedServer");
  if (!configured || configured->empty()) return std::string(core::kFixedServerName);
  return *configured;
}

Result<sql::odbc::OdbcOptions> DataSources::OdbcOptionsOf(std::string_view section,
                                                          std::string_view origin) const {
  sql::odbc::OdbcOptions options;
  const auto rows = ini_.Get(section, "RowsPerBatch");
  if (!rows || rows->empty()) return options;
  std::size_t parsed = 0;
  const char* end = rows->data() + rows->size();
  const auto [at, error] = std::from_chars(rows->data(), end, parsed);
  if (error != std::errc() || at != end || parsed == 0) {
    return Status(ErrorKind::kInvalidArgument, kErrBadArguments,
                  std::string(origin) + ": RowsPerBatch \"" + *rows +
                      "\" is not a number of rows (1 sends every row on its own)");
  }
  options.rows_per_batch = parsed;
  return options;
}

Result<DataSource> DataSources::FromSection(std::string_view name) const {
  DataSource source;
  source.name = std::string(name);
  source.origin = "zuna.ini [" + std::string(name) + "]";
  const std::string driver = text::LowerAscii(ini_.GetOr(
      name, "Driver", text::LowerAscii(name) == core::kFoxProDataSource ? "dbf" : "sqlite"));
  if (driver == "dbf") {
    source.backend = Backend::kFoxPro;
    source.foxpro.data_folder =
        program_folder_ / ini_.GetOr(name, "SourceDB", core::kDataFolderName);
    // A value read only in part (1252abc) or guessed (Deleted = False as Yes) would change what
    // the tables deliver without a word, so either is refused.
    if (auto page = ini_.Get(name, "CodePage"); page && !page->empty()) {
      int code_page = 0;
      if (!text::ParseInt(*page, code_page) || code_page <= 0) {
        return Status(ErrorKind::kInvalidArgument, kErrBadArguments,
                      source.origin + ": CodePage \"" + *page + "\" is not a number");
      }
      source.foxpro.code_page = code_page;
    }
    const std::string deleted = text::LowerAscii(ini_.GetOr(name, "Deleted", ""));
    if (!deleted.empty() && deleted != "yes" && deleted != "no") {
      return Status(ErrorKind::kInvalidArgument, kErrBadArguments,
                    source.origin + ": Deleted \"" + deleted + "\" is neither Yes nor No");
    }
    source.foxpro.skip_deleted = deleted != "no";
    source.path = source.foxpro.data_folder;
  } else if (driver == "sqlite") {
    source.backend = Backend::kSqlite;
    source.path =
        program_folder_ / ini_.GetOr(name, "Database", std::string(core::kTargetDatabaseFile));
  } else if (driver == "odbc") {
    source.backend = Backend::kOdbc;
    if (auto text = ini_.Get(name, "ConnectionString")) {
      source.odbc_connection = *text;
    } else {
      source.odbc_connection = "DSN=" + ini_.GetOr(name, "DSN", name);
    }
    ASSIGN_OR_RETURN(source.odbc, OdbcOptionsOf(name, source.origin));
    const std::string copy = text::LowerAscii(ini_.GetOr(name, "PostgresCopy", "yes"));
    if (copy != "yes" && copy != "no") {
      return Status(ErrorKind::kInvalidArgument, kErrBadArguments,
                    source.origin + ": PostgresCopy \"" + copy + "\" is neither Yes nor No");
    }
    source.postgres_copy = copy == "yes";
  } else {
    return Status(ErrorKind::kInvalidArgument, kErrBadArguments,
                  source.origin + ": unknown Driver \"" + driver + "\" (dbf, sqlite or odbc)");
  }
  return source;
}

Result<DataSource> DataSources::Resolve(std::string_view odbc_text) const {
  const auto dsn = ConnectionAttribute(odbc_text, "dsn");
  if (!dsn || dsn->empty()) {
    return Status(ErrorKind::kInvalidArgument, kErrBadArguments,
                  "\"" + std::string(odbc_text) + "\" names no data source (DSN=...)");
  }
  if (ini_.HasSection(*dsn)) return FromSection(*dsn);
  for (const std::string& known : odbc_data_sources_) {
    if (text::LowerAscii(known) == text::LowerAscii(*dsn)) {
      DataSource source;
      source.backend = Backend::kOdbc;
      source.name = *dsn;
      source.odbc_connection = DriverText(odbc_text);
      source.origin = "odbc.ini";
      return source;
    }
  }
  const std::string name = text::LowerAscii(*dsn);
  if (name == core::kTargetDataSource || name == core::kFoxProDataSource) {
    auto source = FromSection(name);  // an absent section gives the defaults
    if (source.ok()) source->origin = "built-in default";
    return source;
  }
  return NotConfigured(*dsn);
}

Result<std::shared_ptr<sql::Connection>> DataSources::Connect(const DataSource& source) const {
  switch (source.backend) {
    case Backend::kSqlite: {
      const auto open = [&] {
        return sql::sqlite::SqliteConnection::OpenFile(source.path, sqlite_options_);
      };
      auto connection = kept_ && kept_->OnOwnerThread()
                            ? kept_->Open(source.path, sqlite_options_, open)
                            : open();
      if (!connection.ok()) return connection.status().WithContext(TargetOf(source));
      return std::shared_ptr<sql::Connection>(std::move(connection).value());
    }
    case Backend::kOdbc: {
      sql::odbc::OdbcOptions options = source.odbc;
      options.totals = odbc_totals_;
      auto connection = sql::odbc::OdbcConnection::Open(source.odbc_connection, options);
      if (!connection.ok()) return connection.status().WithContext(TargetOf(source));
      if (!source.postgres_copy ||
          (*connection)->dialect().family() != sql::dialect::ServerFamily::kPostgres) {
        return std::shared_ptr<sql::Connection>(std::move(connection).value());
      }
      // PostgreSQL takes the import's rows through libpq's COPY, far faster than parameter
      // arrays through psqlODBC; everything else still goes through ODBC.
      auto copying = sql::postgres::CopyConnection::Open(
          std::move(connection).value(), PostgresTargetOf(source.odbc_connection), copy_options_);
      if (!copying.ok()) {
        return copying.status().WithContext(TargetOf(source) +
                                            " (PostgresCopy = No sends the rows through ODBC)");
      }
      return std::shared_ptr<sql::Connection>(std::move(copying).value());
    }
    case Backend::kFoxPro:
      break;
  }
  return Status(ErrorKind::kUnsupported, kErrProvider,
                "the FoxPro tables (" + source.origin +
                    ") answer only recordsets, not a connection's commands");
}

Result<std::unique_ptr<recordset::Recordset>> DataSources::OpenRecordset(
    std::string_view source, std::string_view odbc_text) const {
  ASSIGN_OR_RETURN(const DataSource data_source, Resolve(odbc_text));
  if (data_source.backend == Backend::kFoxPro) {
    return dbf::OpenFoxProRecordset(source, data_source.foxpro);
  }
  ASSIGN_OR_RETURN(std::shared_ptr<sql::Connection> connection, Connect(data_source));
  return sql::OpenSqlRecordset(std::move(connection), source);
}

Result<std::shared_ptr<sql::Connection>> DataSources::OpenConnection(
    std::string_view connection_string) const {
  const std::string lower = text::LowerAscii(connection_string);
  const std::size_t at = lower.find(kDataSourceKey);
  if (at == std::string::npos) {
    ASSIGN_OR_RETURN(const DataSource source, Resolve(connection_string));
    return Connect(source);
  }
  // Data Source comes last in every OLE DB text of the system: the rest is the server name.
  const std::string server(connection_string.substr(at + kDataSourceKey.size()));
  RETURN_IF_ERROR(ValidateServerName(server));
  const std::string catalog =
      ConnectionAttribute(connection_string.substr(0, at), "Initial Catalog")
          .value_or(std::string(core::kDatabaseName));

  const std::string driver = text::LowerAscii(ini_.GetOr("server", "Driver", "sqlite"));
  if (driver == "odbc") return ConnectToServer(server, catalog);
  if (driver != "sqlite") {
    return Status(ErrorKind::kInvalidArgument, kErrBadArguments,
                  "zuna.ini [server]: unknown Driver \"" + driver + "\" (sqlite or odbc)");
  }
  const fs::path folder = server.empty() ? program_folder_ : program_folder_ / server;
  ASSIGN_OR_RETURN(auto connection,
                   sql::sqlite::SqliteConnection::OpenCatalog(folder, catalog, sqlite_options_));
  return std::shared_ptr<sql::Connection>(std::move(connection));
}

Result<std::shared_ptr<sql::Connection>> DataSources::ConnectToServer(
    const std::string& server, const std::string& catalog) const {
  const std::string pattern = ini_.GetOr("server", "ConnectionString", "");
  if (pattern.empty()) {
    return Status(ErrorKind::kInvalidArgument, kErrBadArguments,
                  "zuna.ini [server] Driver=odbc needs a ConnectionString");
  }
  ASSIGN_OR_RETURN(const sql::odbc::OdbcOptions options,
                   OdbcOptionsOf("server", "zuna.ini [server]"));
  const auto fill = [&](std::string_view with_catalog) {
    std::string text = pattern;
    for (const auto& [placeholder, value] :
         {std::pair<std::string_view, std::string_view>{"{server}", server},
          {"{catalog}", with_catalog}}) {
      for (std::size_t p; (p = text.find(placeholder)) != std::string::npos;) {
        text.replace(p, placeholder.size(), value);
      }
    }
    return text;
  };
  const auto open = [&](std::string_view with_catalog) -> Result<std::shared_ptr<OdbcConnection>> {
    const std::string text = fill(with_catalog);
    auto connection = sql::odbc::OdbcConnection::Open(text, options);
    if (!connection.ok()) {
      return connection.status().WithContext(
          "server \"" + server + "\" (zuna.ini [server], catalog " +
          (with_catalog.empty() ? std::string("none") : std::string(with_catalog)) +
          "): " + sql::odbc::DescribeTarget(text));
    }
    return connection;
  };
  const bool administrative =
      sql::sqlite::IsMasterCatalog(catalog) && pattern.find("{catalog}") != std::string::npos;
  if (!administrative) {
    ASSIGN_OR_RETURN(auto connection, open(catalog));
    return std::shared_ptr<sql::Connection>(std::move(connection));
  }
  // Which server answers shows only once connected, and each has its own administrative
  // catalog: each is tried, and a connection the server would not call its own is made again
  // to the catalog it names.
  Status first_failure;
  for (const std::string_view candidate : sql::dialect::AdministrativeCatalogs()) {
    auto connection = open(candidate);
    if (!connection.ok()) {
      if (first_failure.ok()) first_failure = connection.status();
      continue;
    }
    const std::string_view own = (*connection)->dialect().administrative_catalog();
    if (own == candidate) return std::shared_ptr<sql::Connection>(std::move(connection).value());
    ASSIGN_OR_RETURN(auto again, open(own));
    return std::shared_ptr<sql::Connection>(std::move(again));
  }
  return first_failure.WithContext("no administrative catalog (master, postgres or none) opened");
}

}  // namespace zuna::sources
