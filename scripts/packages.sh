# The Debian packages the README's two commands need, in one place, and the
# step that installs what is missing; also whether the kernel runs the 32-bit
# ones. Sourced by scripts/demo, scripts/test-all and scripts/package-check:
#   . scripts/packages.sh; ensure_packages "${demo_packages[@]}"

# The demo: the compiler and the build tools, nothing else.
demo_packages=(g++ cmake ninja-build)

# The test command: the demo's, the test, benchmark and fuzzing libraries,
# the Windows cross compilers with Wine to run their products (wine32:i386
# runs the 32-bit ones; see ensure_i386_architecture), gcovr, and what
# building and proving the packages takes (dpkg-dev and file for CPack's
# Debian packages, lintian, man-db, bash-completion, unzip).
test_packages=("${demo_packages[@]}" clang libclang-rt-14-dev pkg-config
               googletest libgtest-dev libbenchmark-dev libinih-dev libsimpleini-dev libboost-dev
               mingw-w64 wine64 wine32:i386 binutils gcovr
               dpkg-dev file lintian man-db bash-completion unzip)

# ensure_i386_architecture: makes i386 packages installable (wine32:i386),
# adding the architecture and updating the package lists only when it is
# missing; as another user it only says what to run.
ensure_i386_architecture() {
  dpkg --print-foreign-architectures | grep -qx i386 && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "$(basename "$0"): the i386 architecture is missing; add it with:" >&2
    echo "  sudo dpkg --add-architecture i386 && sudo apt-get update" >&2
    return 1
  fi
  echo "== adding the i386 architecture"
  dpkg --add-architecture i386 && apt-get -o DPkg::Lock::Timeout=600 -qq update
}

# kernel_refuses_i686: the 32-bit Wine loader is itself a 32-bit program; when
# the kernel refuses to execute it (status 126), prints why and succeeds.
kernel_refuses_i686() {
  local out status=0
  out=$(/usr/lib/wine/wine --version 2>&1) || status=$?
  [ $status -eq 126 ] || return 1
  echo "this kernel does not execute 32-bit programs (/usr/lib/wine/wine: $out)"
}

# ensure_packages PACKAGE...: installs the missing ones when run as root;
# otherwise prints the apt-get line to run and fails.
ensure_packages() {
  local p missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "$(basename "$0"): missing packages; install them with:" >&2
    echo "  sudo apt-get install -y --no-install-recommends ${missing[*]}" >&2
    return 1
  fi
  echo "== installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  # Another apt run (an unattended upgrade, a second checkout) holds the lock
  # for a while at most: wait for it rather than fail.
  local apt=(apt-get -o DPkg::Lock::Timeout=600 -qq)
  if ! "${apt[@]}" update || ! "${apt[@]}" install -y --no-install-recommends "${missing[@]}" >/dev/null; then
    echo "$(basename "$0"): installing ${missing[*]} failed" >&2
    return 1
  fi
}
