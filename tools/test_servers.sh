#!/usr/bin/env bash
# Starts and stops the database servers the tests use: PostgreSQL and MariaDB from Debian's
# packages, each with its data in a scratch folder and listening on a unix socket in it only (no
# TCP port), so nothing outside the folder is touched and nothing is reachable from the network.
#
#   tools/test_servers.sh start DIR   make DIR, start both servers, write DIR/odbc.ini and DIR/env
#   tools/test_servers.sh stop DIR    stop both servers and remove DIR
#   tools/test_servers.sh env DIR     print the shell exports that point ODBC at DIR/odbc.ini
#   tools/test_servers.sh restart-postgres|restart-mariadb DIR
#                                     stop one server (fast: its sessions end) and start it again
#                                     (or start it, when it was stopped)
#   tools/test_servers.sh start-postgres|start-mariadb DIR
#                                     as start, with one server alone: for a test that stops or
#                                     restarts its server without disturbing the others
#   tools/test_servers.sh stop-postgres|stop-mariadb DIR
#                                     stop one server (fast), keeping its data: a server gone
#
# Both servers have a login "zuna" (password "zuna-test") that may create databases, and a
# database "zuna_test" it owns. DIR/odbc.ini holds the data sources "zuna_postgres" and
# "zuna_mariadb", named by the drivers' names in Debian's odbcinst.ini ("PostgreSQL Unicode",
# "MariaDB Unicode"). As root, the servers run as the system users "postgres" and "mysql" (both
# refuse to run as root); otherwise as the calling user.
set -euo pipefail

readonly kUser=zuna
readonly kPassword=zuna-test
readonly kDatabase=zuna_test
readonly kMarker=.zuna-test-servers # only a folder holding it is ever removed
readonly kWaitSeconds=60

usage() {
  echo "usage: $0 start|start-postgres|start-mariadb|stop|stop-postgres|stop-mariadb|env|" \
    "restart-postgres|restart-mariadb DIR" >&2
  exit 2
}

[ $# -eq 2 ] || usage
command=$1
dir=$2
case "$dir" in
  /*) ;;
  *) dir="$PWD/$dir" ;;
esac

pg_bin() {
  local found
  found=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
  [ -n "$found" ] || {
    echo "PostgreSQL is not installed (tools/install-deps.sh installs it)" >&2
    exit 1
  }
  echo "$found"
}

# Runs a command as the user that owns a server's files.
as_user() {
  local user=$1
  shift
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u "$user" -- "$@"
  else
    "$@"
  fi
}

owner() { [ "$(id -u)" -eq 0 ] && echo "$1" || id -un; }

# Starts the server of an initialised data folder and waits until it takes connections.
run_postgres() {
  local run=$dir/pg-run
  # No TCP port; a test server needs no durability across a crash of the machine.
  as_user "$(owner postgres)" "$(pg_bin)/pg_ctl" -D "$dir/pg" -l "$run/postgres.log" -w \
    -t "$kWaitSeconds" \
    -o "-c listen_addresses='' -c unix_socket_directories='$run' -c fsync=off \
        -c synchronous_commit=off -c full_page_writes=off -c shared_buffers=32MB" \
    start >/dev/null || {
    cat "$run/postgres.log" >&2
    return 1
  }
}

start_postgres() {
  local bin data=$dir/pg run=$dir/pg-run user
  bin=$(pg_bin)
  user=$(owner postgres)
  mkdir -p "$data" "$run"
  chown "$user" "$data" "$run"
  chmod 700 "$data" "$run"
  as_user "$user" "$bin/initdb" -D "$data" -U "$user" --auth-local=peer --auth-host=reject \
    -E UTF8 --locale=C.UTF-8 --no-sync >"$run/initdb.log" 2>&1 || {
    cat "$run/initdb.log" >&2
    return 1
  }
  # The login of the tests signs in with its password; the owner of the files through its
  # operating-system name, for the set-up below.
  cat >"$data/pg_hba.conf" <<EOF
local all $kUser scram-sha-256
local all $user peer
EOF
  run_postgres
  as_user "$user" "$bin/psql" -h "$run" -U "$user" -d postgres -v ON_ERROR_STOP=1 -q <<EOF
CREATE ROLE $kUser LOGIN CREATEDB PASSWORD '$kPassword';
CREATE DATABASE $kDatabase OWNER $kUser;
EOF
}

# Starts the server of an installed data folder, in a session of its own, and waits until it
# takes connections.
run_mariadb() {
  local run=$dir/maria-run user_option=()
  # --no-defaults: Debian's /etc/mysql settings (a TCP port among them) do not apply. Outside
  # strict mode, as many installations run, so that the tests show the strict session the
  # connection asks for.
  [ "$(id -u)" -eq 0 ] && user_option=(--user="$(owner mysql)")
  setsid mariadbd --no-defaults "${user_option[@]}" --datadir="$dir/maria" --skip-networking \
    --socket="$run/mysqld.sock" --pid-file="$run/mysqld.pid" --log-error="$run/mariadb.log" \
    --character-set-server=utf8mb4 --collation-server=utf8mb4_general_ci \
    --sql-mode=NO_ENGINE_SUBSTITUTION \
    --innodb-buffer-pool-size=64M --innodb-flush-log-at-trx-commit=2 \
    </dev/null >/dev/null 2>&1 &
  local pid=$! waited=0
  until mariadb-admin --no-defaults --socket="$run/mysqld.sock" -uroot ping >/dev/null 2>&1; do
    if [ "$waited" -ge $((kWaitSeconds * 5)) ] || ! kill -0 "$pid" 2>/dev/null; then
      echo "MariaDB did not start:" >&2
      cat "$run/mariadb.log" >&2 || true
      return 1
    fi
    sleep 0.2
    waited=$((waited + 1))
  done
}

start_mariadb() {
  local data=$dir/maria run=$dir/maria-run user
  user=$(owner mysql)
  command -v mariadbd >/dev/null || {
    echo "MariaDB is not installed (tools/install-deps.sh installs it)" >&2
    return 1
  }
  mkdir -p "$data" "$run"
  chown "$user" "$data" "$run"
  chmod 700 "$data" "$run"
  mariadb-install-db --no-defaults --datadir="$data" --user="$user" \
    --auth-root-authentication-method=socket --auth-root-socket-user="$(id -un)" \
    --skip-test-db >"$run/install.log" 2>&1 || {
    cat "$run/install.log" >&2
    return 1
  }
  run_mariadb
  mariadb --no-defaults --socket="$run/mysqld.sock" -uroot <<EOF
CREATE USER '$kUser'@'localhost' IDENTIFIED BY '$kPassword';
GRANT ALL PRIVILEGES ON *.* TO '$kUser'@'localhost';
CREATE DATABASE $kDatabase;
EOF
}

# Writes the data sources of the servers named ("postgres", "mariadb").
write_odbc_ini() {
  : >"$dir/odbc.ini"
  case " $* " in *" postgres "*) write_postgres_source ;; esac
  case " $* " in *" mariadb "*) write_mariadb_source ;; esac
  print_env >"$dir/env"
  chmod 600 "$dir/odbc.ini" "$dir/env"
}

write_postgres_source() {
  cat >>"$dir/odbc.ini" <<EOF
[zuna_postgres]
Description = PostgreSQL of the tests, on its unix socket
Driver      = PostgreSQL Unicode
Servername  = $dir/pg-run
Port        = 5432
Database    = $kDatabase
Username    = $kUser
Password    = $kPassword

EOF
}

write_mariadb_source() {
  cat >>"$dir/odbc.ini" <<EOF
[zuna_mariadb]
Description = MariaDB of the tests, on its unix socket
Driver      = MariaDB Unicode
Server      = localhost
Socket      = $dir/maria-run/mysqld.sock
Database    = $kDatabase
User        = $kUser
Password    = $kPassword
EOF
}

print_env() {
  echo "export ODBCINI='$dir/odbc.ini' ZUNA_TEST_SERVERS='$dir'"
}

# Waits for a process to end; false if it is still there after the wait.
wait_gone() {
  local pid=$1 waited=0
  while kill -0 "$pid" 2>/dev/null; do
    [ "$waited" -ge $((kWaitSeconds * 5)) ] && return 1
    sleep 0.2
    waited=$((waited + 1))
  done
}

stop_postgres() {
  local data=$dir/pg pid
  [ -f "$data/postmaster.pid" ] || return 0
  pid=$(head -n 1 "$data/postmaster.pid")
  kill -INT "$pid" 2>/dev/null || return 0 # fast shutdown: end the sessions, then stop
  wait_gone "$pid" || kill -KILL "$pid" 2>/dev/null || true
}

stop_mariadb() {
  local pidfile=$dir/maria-run/mysqld.pid pid
  [ -f "$pidfile" ] || return 0
  pid=$(cat "$pidfile")
  kill -TERM "$pid" 2>/dev/null || return 0
  wait_gone "$pid" || kill -KILL "$pid" 2>/dev/null || true
}

stop_all() {
  [ -d "$dir" ] || return 0
  if [ ! -f "$dir/$kMarker" ]; then
    echo "$dir was not made by $0: left alone" >&2
    exit 1
  fi
  stop_postgres
  stop_mariadb
  rm -rf "$dir"
}

# Makes DIR afresh and starts the servers named in it.
start_servers() {
  stop_all # servers left by a run that was killed before its clean-up
  mkdir -p "$dir"
  touch "$dir/$kMarker"
  # The servers' users may pass through, nobody else may look in: the sockets and the
  # password in odbc.ini are for the tests alone.
  chmod 711 "$dir"
  cd "$dir" # the servers' users may not be allowed into the caller's folder
  trap 'echo "test servers did not start" >&2; stop_all' EXIT
  local server
  for server in "$@"; do "start_$server"; done
  write_odbc_ini "$@"
  trap - EXIT
  echo "test servers running in $dir" >&2
}

case "$command" in
  start) start_servers postgres mariadb ;;
  start-postgres) start_servers postgres ;;
  start-mariadb) start_servers mariadb ;;
  stop) stop_all ;;
  stop-postgres) stop_postgres ;;
  stop-mariadb) stop_mariadb ;;
  restart-postgres)
    cd "$dir"
    stop_postgres
    run_postgres
    ;;
  restart-mariadb)
    cd "$dir"
    stop_mariadb
    run_mariadb
    ;;
  env) print_env ;;
  *) usage ;;
esac
