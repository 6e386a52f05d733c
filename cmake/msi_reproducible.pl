#!/usr/bin/perl
# Makes an MSI from wixl the same bytes for the same sources. wixl writes the
# build's time as the summary's Created and Last saved times and a random
# package code (the summary's revision number); this puts the release time
# and the package code given in their place, in the file as it is (same
# lengths, so nothing else moves).
#   msi_reproducible.pl MSI RANDOM_PACKAGE_CODE PACKAGE_CODE EPOCH BUILD_STARTED
# RANDOM_PACKAGE_CODE is the one wixl wrote (msiinfo suminfo shows it); the
# two times are found as FILETIME values (after their type tag 0x40) between
# BUILD_STARTED and now, in seconds since 1970.
use strict;
use warnings;

my ($msi, $random, $package_code, $epoch, $started) = @ARGV;
die "usage: $0 MSI RANDOM_PACKAGE_CODE PACKAGE_CODE EPOCH BUILD_STARTED\n" unless defined $started;
open(my $in, '<:raw', $msi) or die "$msi: $!\n";
my $bytes = do { local $/; <$in> };
close $in;

my $codes = () = $bytes =~ /\Q$random\E/g;
die "$msi: the package code $random stands $codes times, not once\n" unless $codes == 1;
$bytes =~ s/\Q$random\E/$package_code/;

# FILETIME: 100 ns steps since 1601.
my $filetime = sub { ($_[0] + 11644473600) * 10000000 };
my ($low, $high) = ($filetime->($started - 1), $filetime->(time + 1));
my @times;
while ($bytes =~ /\x40\x00\x00\x00(.{8})/gs) {
  my $value = unpack('Q<', $1);
  push @times, pos($bytes) - 8 if $value >= $low && $value <= $high;
}
my $times = @times;
substr($bytes, $_, 8) = pack('Q<', $filetime->($epoch)) for @times;
die "$msi: found $times build times in the summary, not 2\n" unless $times == 2;

open(my $out, '>:raw', $msi) or die "$msi: $!\n";
print $out $bytes;
close $out or die "$msi: $!\n";
