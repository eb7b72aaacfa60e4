#!/usr/bin/env bash
# Runs a Windows test program under Wine with the Chinese locale, so that the ANSI code page is
# 936 (GBK), inside a virtual X server when there is no display.
set -u
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 WINEDEBUG=${WINEDEBUG:--all}
export WINEPREFIX=${WINEPREFIX:-${TMPDIR:-/tmp}/orvane-wine-$(id -u)}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" wine "$@"
fi
exec wine "$@"
