# shellcheck shell=bash
# Sourced by scripts/lazarus-proof and scripts/test: finds Free Pascal and the compiled units of the LCL, its gtk2
# widget set and LazUtils as Debian's fpc, lcl-units-2.2 and lcl-gtk2-2.2 install them (or the LCL in
# LCL_UNITS=<folder of the LCL's .ppu files>).

# Sets lcl_units and lazutils_units; fails, with what is missing in lcl_missing, when one of them is not there.
# shellcheck disable=SC2034 # the variables are the caller's
lcl_find() {
  local target
  lcl_units='' lazutils_units='' lcl_missing=''
  command -v fpc >/dev/null || { lcl_missing="fpc"; return 1; }
  target="$(fpc -iTP)-$(fpc -iTO)"
  lcl_units=${LCL_UNITS:-$(find /usr/lib/lazarus -maxdepth 4 -path "*/lcl/units/$target" -type d 2>/dev/null |
    sort -V | tail -n 1)}
  { [ -n "$lcl_units" ] && [ -f "$lcl_units/forms.ppu" ]; } || { lcl_missing="the LCL's units"; return 1; }
  [ -f "$lcl_units/gtk2/interfaces.ppu" ] || { lcl_missing="the LCL's gtk2 widget set"; return 1; }
  lazutils_units="$lcl_units/../../../components/lazutils/lib/$target"
  [ -f "$lazutils_units/lazutf8.ppu" ] || { lcl_missing="LazUtils' units"; return 1; }
}
