#!/usr/bin/env bash
# Inside the emulated guest (scripts/guest-run.sh hands it over): runs each
# scenario of the run against the 32-bit program, one after the other, each in
# a prefix of its own copied from the guest's 64-bit template prefix.
# usage: guest-scenarios.sh WORK RESULTS
work=$1 results=$2
. "$work/run.env"
export MERVANE_VERSION MERVANE_EXE="$work/bin/Mervane.exe" MVDRIVER_EXE="$work/bin/mvdriver.exe"
export WINE_ROOT=/root/wine MERVANE_SCRIPTS="$work/scripts"
# Everything takes several times as long under emulation.
export MERVANE_SLOW=${MERVANE_SLOW:-4}
echo "guest: $(wine --version), scenarios: $SCENARIOS"
for name in $SCENARIOS; do
  start=$SECONDS
  case $name in
    install_cycle)
      # The shipped installer on 64-bit Windows: into Program Files (x86), its
      # uninstall entry in the 32-bit view, the Run value in the 64-bit one.
      SETUP="$work/bin/setup.exe" SETUP_EXE="$MERVANE_EXE" PROGRAM_DIR='Program Files (x86)\Mervane' VIEW=32 \
        timeout 900 bash "$work/tests/package/install_cycle.sh" > "$results/$name.log" 2>&1
      ;;
    msi_cycle)
      # The shipped Windows Installer package the same way; its custom actions
      # write the Run value through reg.exe /reg:64 and end the program with
      # Mervane.exe /close, both from the 32-bit side.
      SETUP="$work/bin/setup.msi" PRODUCT_CODE="$MSI_PRODUCT_CODE" SETUP_EXE="$MERVANE_EXE" \
        PROGRAM_DIR='Program Files (x86)\Mervane' VIEW=32 \
        timeout 900 bash "$work/tests/package/install_cycle.sh" > "$results/$name.log" 2>&1
      ;;
    *) timeout 900 bash "$work/tests/e2e/$name.sh" > "$results/$name.log" 2>&1 ;;
  esac
  status=$?
  echo $((SECONDS - start)) > "$results/$name.seconds"
  echo $status > "$results/$name.status"
  echo "guest: $name ended with $status after $((SECONDS - start)) s"
done
