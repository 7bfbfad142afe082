#!/usr/bin/env bash
# Installs what is needed, builds the tests' PostgreSQL server and starts a
# throwaway one loaded with the demo database (data/postgres-demo.sql), then
# prints what to type in the connect dialog. Ctrl+C stops the server and
# removes its folder. Options go to the server: --user, --password, --database.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build --target pg_test_server
exec ./build/tools/pg_test_server data/postgres-demo.sql "$@"
