#!/usr/bin/env bash
# Sourced by everything that runs the tests under Wine: quiet, no Mono or
# Gecko installer, and no debugger on a crash, so that a test that crashes
# fails at once instead of waiting for a debugger nobody attends.
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
