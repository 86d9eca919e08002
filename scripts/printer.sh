# Sourced by the test script: a real printer for the print tests.
# The local print spooler with its PDF back end, as a default printer named PDF; every job
# becomes a PDF file named "<job title>-job_<n>.pdf" in one folder, which the tests find in
# BREVDUVA_PRINT_DIR (a Linux path; Wine sees it as Z:\...).
#   printer_start DIR   starts the spooler (or reuses a running one), returns 0 when PDF is ready
#   printer_stop        stops what printer_start started
# Needs root (it writes the spooler's configuration).

printer_conf=/etc/cups/cups-pdf.conf
printer_marker="# brevduva test printer"
printer_cupsd_pid=""
printer_conf_saved=""

# The output folder a running spooler's PDF back end writes to, when we configured it earlier.
printer_configured_dir() {
    grep -q "^$printer_marker" "$printer_conf" 2>/dev/null || return 1
    sed -n 's/^Out //p' "$printer_conf" | head -n 1
}

printer_spooler_running() {
    lpstat -r 2>/dev/null | grep -q "is running"
}

printer_write_conf() {
    local dir=$1
    if [ -z "$printer_conf_saved" ] && ! grep -q "^$printer_marker" "$printer_conf" 2>/dev/null; then
        printer_conf_saved=$(mktemp)
        cp -p "$printer_conf" "$printer_conf_saved" 2>/dev/null || : > "$printer_conf_saved"
    fi
    # Label 2: a unique job number after the title, so jobs of the same name never overwrite
    cat > "$printer_conf" <<EOF
$printer_marker
Out $dir
AnonDirName $dir
Label 2
TitlePref 1
Cut -1
Grp lpadmin
DecodeHexStrings 1
EOF
}

printer_start_spooler() {
    mkdir -p /run/cups /var/spool/cups /var/cache/cups /var/log/cups
    /usr/sbin/cupsd -f >/dev/null 2>&1 &
    printer_cupsd_pid=$!
    local _
    for _ in $(seq 1 100); do
        printer_spooler_running && return 0
        kill -0 "$printer_cupsd_pid" 2>/dev/null || break
        sleep 0.1
    done
    echo "printer: the print spooler did not start" >&2
    printer_cupsd_pid=""
    return 1
}

printer_add_queue() {
    local ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
    [ -f "$ppd" ] || { echo "printer: $ppd is missing (printer-driver-cups-pdf)" >&2; return 1; }
    if ! lpstat -p PDF >/dev/null 2>&1; then
        # (lpadmin warns on every use of a PPD file that drivers are deprecated)
        lpadmin -p PDF -E -v cups-pdf:/ -P "$ppd" 2>/dev/null || return 1
    fi
    lpadmin -d PDF && cupsenable PDF && cupsaccept PDF
}

printer_start() {
    [ "$(id -u)" -eq 0 ] || { echo "printer: needs root" >&2; return 1; }
    [ -x /usr/lib/cups/backend/cups-pdf ] || { echo "printer: the PDF back end is not installed" >&2; return 1; }
    local dir
    dir=$(realpath -m "$1")
    if printer_spooler_running; then
        # someone else's spooler: keep its output folder so their tests keep finding their files
        local running
        running=$(printer_configured_dir) && [ -d "$running" ] && dir=$running
        [ "$dir" = "$running" ] || { mkdir -p "$dir" && chmod 0777 "$dir" && printer_write_conf "$dir"; }
    else
        mkdir -p "$dir" && chmod 0777 "$dir" || return 1
        rm -f "$dir"/*.pdf  # jobs of earlier runs must not pass for this run's
        printer_write_conf "$dir"
        printer_start_spooler || return 1
    fi
    printer_add_queue || { echo "printer: the PDF printer could not be added" >&2; printer_stop; return 1; }
    export BREVDUVA_PRINT_DIR=$dir
    return 0
}

printer_stop() {
    if [ -n "$printer_cupsd_pid" ]; then
        kill "$printer_cupsd_pid" 2>/dev/null
        wait "$printer_cupsd_pid" 2>/dev/null
        printer_cupsd_pid=""
    fi
    if [ -n "$printer_conf_saved" ]; then
        cp -p "$printer_conf_saved" "$printer_conf" && rm -f "$printer_conf_saved"
        printer_conf_saved=""
    fi
    unset BREVDUVA_PRINT_DIR
    return 0
}
