#!/usr/bin/env perl
# Writes a valid grey PNG of the given size to standard output, all black; a few kilobytes however large.
#   big_png.pl <width> <height>
use strict;
use warnings;
use Compress::Zlib;

my ($width, $height) = @ARGV;
sub chunk { my ($type, $data) = @_; return pack('N', length $data) . $type . $data . pack('N', crc32($type . $data)); }
my $d = deflateInit(-Level => Z_BEST_COMPRESSION) or die "deflate\n";
my $idat = '';
my $row = "\0" x ($width + 1);   # filter byte, then the row
for (1 .. $height) {
    my ($out) = $d->deflate($row);
    $idat .= $out;
}
my ($rest) = $d->flush();
$idat .= $rest;
binmode STDOUT;
print "\x89PNG\r\n\x1a\n", chunk('IHDR', pack('NNCCCCC', $width, $height, 8, 0, 0, 0, 0)),
      chunk('IDAT', $idat), chunk('IEND', '');
