# font-stanza.awk COPYRIGHT - the body of a font package's "Files: *" paragraph in Debian's
# machine-readable copyright file (its copyright and licence), for the game's own copyright file to
# name the font's file with. A licence whose text stands in a paragraph of its own, as Noto's do, has
# that text brought in after its name.
BEGIN { RS = ""; FS = "\n" }
{ para[NR] = $0 }
$1 == "Files: *" { star = NR }
END {
    if (!star)
        exit 1
    n = split(para[star], lines, "\n")
    inLicence = 0
    for (i = 2; i <= n; i++) {
        out = out lines[i] "\n"
        if (lines[i] ~ /^License: /) {
            name = substr(lines[i], 10)
            inLicence = 1
        } else if (inLicence && lines[i] ~ /^ /) {
            hasText = 1
        } else {
            inLicence = 0
        }
    }
    if (!hasText)
        for (p = 1; p <= NR; p++)
            if (index(para[p], "License: " name "\n") == 1) {
                sub(/^[^\n]*\n/, "", para[p])
                out = out para[p] "\n"
            }
    printf "%s", out
}
