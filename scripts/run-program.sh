#!/usr/bin/env bash
# Builds and starts the wizard.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
echo "The wizard is not built yet."
