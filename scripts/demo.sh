#!/usr/bin/env bash
# The main job: installs what is missing, builds the agent and the emulation
# (in the folder the tests use too, rebuilding only what changed), then
# converts the bundled sample DBF folder into the embedded Oracle emulation
# with the console agent and shows what arrived.
#   scripts/demo.sh [build folder]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
VESPER_TARGETS="vpxagent ociemu ociemu_oci" "$here/scripts/build.sh" "$build"

agent=$build/apps/vpxagent/vpxagent
ociemu=$build/ociemu/ociemu
demo=$build/demo
rm -rf "$demo"
mkdir -p "$demo"

# A private emulation home with service XE and user scott, and a private
# settings folder, so the demo neither uses nor changes the user's own.
export OCIEMU_HOME=$demo/oracle
export XDG_CONFIG_HOME=$demo/settings
export VESPER_OCI_LIB=$build/ociemu/libociemu.so
"$ociemu" create-service XE scott tiger

echo
echo "== vpxagent --src=samples --dest=XE --oraclu=scott --oraclp=... --logfile=$demo/vpxagent.log"
status=0
"$agent" --src="$here/samples" --dest=XE --oraclu=scott --oraclp=tiger \
  --logfile="$demo/vpxagent.log" || status=$?
echo "vpxagent exit status: $status"

show() {
  echo
  echo "== $1"
  "$ociemu" sql XE scott tiger "$1" || echo "(the query failed)"
}
echo
echo "== Tables in the Oracle schema of scott"
"$ociemu" tables XE scott tiger
show "SELECT TABLE_NAME, COUNT(*) AS COLUMNS FROM USER_TAB_COLUMNS GROUP BY TABLE_NAME ORDER BY TABLE_NAME"
show "SELECT COLUMN_NAME, DATA_TYPE, DATA_LENGTH, DATA_PRECISION, DATA_SCALE, NULLABLE FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'ORDERS' ORDER BY COLUMN_ID"
show "SELECT CUST_ID, COMPANY, CITY, SINCE, CREDIT, ACTIVE FROM CUSTOMER ORDER BY CUST_ID"
show "SELECT ORDER_ID, CUST_ID, PLACED, STATUS, TOTAL, PAID FROM ORDERS WHERE ORDER_ID <= 50005 ORDER BY ORDER_ID"
show "SELECT SUPP_ID, NAME, CITY, TERMS FROM SUPPLIER"
show "SELECT CODE, NAME, PRICE, LENGTH(DESCRIPT) AS MEMO_CHARACTERS FROM PRODUCTS"
show "SELECT CUST_ID, COMPANY, NOTES FROM CUSTOMER WHERE CUST_ID = 1001"
echo
echo "The trace of the run is in $demo/vpxagent.log"
exit "$status"
