#!/usr/bin/env bash
# Installs what the build and the tests need beyond g++, CMake and JDK 17 on
# Debian 12: Ninja, GoogleTest, Google Benchmark, JUnit 5, valgrind, and clang
# with its sanitizer and fuzzer runtimes (scripts/fuzz.sh).  Idempotent;
# needs root (or sudo) only when something is missing.
set -euo pipefail

packages=(ninja-build googletest libgtest-dev libbenchmark-dev junit5 openjdk-17-jdk-headless
  valgrind clang-14 libclang-rt-14-dev)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if ((${#missing[@]})); then
  sudo=""
  [[ $(id -u) -eq 0 ]] || sudo="sudo"
  echo "installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi
