#!/usr/bin/env bash
# Fails when a source folder includes a header of a layer above it. The layers
# point one way: model <- editor <- gamedata <- disk <- app <- ui, cli; the
# platform interface ui/platform.h is the one ui header app may use. Relative
# includes that climb out of a folder ("../") are refused everywhere.
set -euo pipefail
cd "$(dirname "$0")/.."

grep -rHE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' src --include='*.h' --include='*.cpp' |
awk '
BEGIN {
    allow["model"] = "model"
    allow["editor"] = "model editor"
    allow["gamedata"] = "model editor gamedata"
    allow["disk"] = "model editor gamedata disk"
    allow["app"] = "model editor gamedata disk app ui/platform.h"
    allow["ui"] = "model ui/platform.h ui/fake_platform.h"
    allow["ui/qt"] = "*"
    allow["cli"] = "*"
    faults = 0
}
{
    file = substr($0, 1, index($0, ":") - 1)
    line = substr($0, index($0, ":") + 1)
    match(line, /"[^"]+"/)
    target = substr(line, RSTART + 1, RLENGTH - 2)
    folder = file
    sub(/^src\//, "", folder)
    sub(/\/[^\/]*$/, "", folder)
    if (folder ~ /^ui\/qt/) folder = "ui/qt"
    else if (folder ~ /^editor/) folder = "editor"
    if (target ~ /\.\./) {
        print file ": relative include \"" target "\""
        faults++
        next
    }
    if (!(folder in allow)) {
        print file ": folder " folder " has no place among the layers"
        faults++
        next
    }
    if (allow[folder] == "*" || target !~ /\//) next  # a header beside the file is its own
    n = split(allow[folder], ok, " ")
    for (i = 1; i <= n; i++)
        if (target == ok[i] || index(target, ok[i] "/") == 1) next
    print file ": includes \"" target "\", a layer above " folder
    faults++
}
END {
    if (faults) {
        print faults " include(s) point up a layer"
        exit 1
    }
    print "layers: every include points down"
}'
