# Sourced by every script that runs Wine. Wine's wrapper always picks the 32-bit loader when
# it is installed, but some machines (virtual machines whose kernel runs no 32-bit program)
# cannot execute it: there the 64-bit loader takes its place, which runs 64-bit programs only.
# Sets zstartup_runs_32bit to 1 or 0.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  zstartup_runs_32bit=1
else
  zstartup_runs_32bit=0
  export PATH="$(dirname "${BASH_SOURCE[0]}")/wine64:$PATH"
  export WINELOADER=/usr/lib/wine/wine64
fi
