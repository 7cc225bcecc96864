#!/usr/bin/env bash
# Runs one Windows test program under the shared prefix: run.sh BUILD EXE ARGS...
build="$1"; shift
# shellcheck source=env.sh
. "$(dirname "$0")/env.sh" "$build"
exec wine "$@"
