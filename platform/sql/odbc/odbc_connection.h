#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/sql/connection.h"
#include "platform/sql/insert_cache.h"

namespace zuna::sql::odbc {

// A connection through unixODBC to any driver: SQL Server through Microsoft's driver or FreeTDS
// in production, SQLite's ODBC driver in the tests. Inserts are prepared once per table and set
// of columns, values bound as parameters; every row commits on its own (autocommit), so a
// refused row never takes others with it, whatever the server's transaction rules. The server
// converts and refuses values itself. Failures carry the driver's native error number, with the
// SQLSTATE and the driver's message as description.
class OdbcConnection final : public Connection {
 public:
  // `connection_string` as SQLDriverConnect takes it: "DSN=pay" or "Driver=...;Database=...".
  static Result<std::shared_ptr<OdbcConnection>> Open(std::string_view connection_string);
  ~OdbcConnection() override;

  Status Execute(std::string_view text) override;
  Result<std::unique_ptr<Cursor>> Query(std::string_view text) override;
  Result<std::vector<ColumnInfo>> TableColumns(std::string_view table) override;
  Status Insert(std::string_view table, const std::vector<ColumnInfo>& columns,
                const std::vector<int>& assigned, const std::vector<const Value*>& values) override;
  Status Flush() override { return Status::Ok(); }

 private:
  struct Handles;
  struct PreparedInsert;
  explicit OdbcConnection(std::unique_ptr<Handles> handles);

  std::unique_ptr<Handles> handles_;
  InsertCache<std::unique_ptr<PreparedInsert>> inserts_;
  std::unordered_map<std::string, std::vector<ColumnInfo>> table_columns_;
};

// The data source names unixODBC knows (user and system), for resolving "dsn=pay".
std::vector<std::string> ListDataSources();

}  // namespace zuna::sql::odbc
