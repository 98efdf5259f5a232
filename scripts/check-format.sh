#!/usr/bin/env bash
# Checks every tracked C++ file against the repository's .clang-format and names each one that
# differs, with the command that fixes it. Exit status 1 when any file differs.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang-format >/dev/null 2>&1; then
  echo "check-format: clang-format is not installed (scripts/deps.sh installs it)" >&2
  exit 1
fi
bad=()
while IFS= read -r -d '' f; do
  [ -f "$f" ] || continue
  clang-format --style=file --dry-run --Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done < <(git ls-files -z -- '*.cpp' '*.h')
if [ ${#bad[@]} -gt 0 ]; then
  echo "check-format: ${#bad[@]} file(s) do not follow .clang-format:" >&2
  printf '  %s\n' "${bad[@]}" >&2
  echo "fix with: clang-format -i ${bad[*]}" >&2
  exit 1
fi
echo "check-format: every C++ file follows .clang-format"
