#!/usr/bin/env bash
# Checks built Windows programs as a user's system meets them:
#   scripts/check-pe.sh [--objdump PROG] --version X.Y.Z [--manifest] EXE... [--manifest] EXE...
# Each EXE must have ASLR with high entropy and DEP (DYNAMIC_BASE,
# HIGH_ENTROPY_VA, NX_COMPAT), import system DLLs only, and carry the version
# resource with the given version and the same product name and copyright as
# the others. An EXE after --manifest must also carry the manifest that declares
# common controls 6, per-monitor DPI awareness with its fallback, and long
# paths. Prints what it found; exits 1 at the first program that falls short.
set -euo pipefail

objdump=x86_64-w64-mingw32-objdump
version=
manifest=0
programs=()
while (($#)); do
  case $1 in
    --objdump) objdump=$2; shift 2 ;;
    --version) version=$2; shift 2 ;;
    --manifest) manifest=1; shift ;;
    *) programs+=("$manifest:$1"); manifest=0; shift ;;
  esac
done
if [[ -z $version || ${#programs[@]} -eq 0 ]]; then
  sed -n '2,3p' "$0" >&2
  exit 2
fi

same=
for entry in "${programs[@]}"; do
  needs_manifest=${entry%%:*}
  program=${entry#*:}
  found=$("$objdump" -p "$program" | NEEDS_MANIFEST=$needs_manifest VERSION=$version \
    PROGRAM=$program OBJDUMP=$objdump perl -e '
use strict;
use warnings;

# What the system gives every Windows program: nothing else may be imported.
my %allowed = map { $_ => 1 } qw(kernel32.dll user32.dll gdi32.dll comctl32.dll advapi32.dll
  shell32.dll msvcrt.dll);
my $program = $ENV{PROGRAM};
my @problems;
my $dump = do { local $/; <STDIN> };

my %flags = map { $_ => 1 } ($dump =~ /^DllCharacteristics\s+\S+\n((?:\t+\S+\n)*)/m)[0] =~ /(\S+)/g;
for my $flag (qw(DYNAMIC_BASE HIGH_ENTROPY_VA NX_COMPAT)) {
  push @problems, "no $flag" unless $flags{$flag};
}
my @dlls = map { lc } $dump =~ /^\tDLL Name: (\S+)$/mg;
push @problems, "imports nothing?" unless @dlls;
push @problems, "imports $_, not a system DLL" for grep { !$allowed{$_} } @dlls;

# The resources, by type: where each leaf lies in the file.
my ($rsrcRva) = $dump =~ /^Entry 2 ([0-9a-f]+) [0-9a-f]+ Resource Directory/m;
open(my $file, "<:raw", $program) or die "$program: $!";
my $image = do { local $/; <$file> };
my ($rsrcFile) = `$ENV{OBJDUMP} -h \Q$program\E` =~ /\s\.rsrc\s+\S+\s+\S+\s+\S+\s+([0-9a-f]+)/;
my (%resource, $type);
for (split /\n/, $dump =~ /The \.rsrc Resource Directory section:\n(.*?)\n \S/s ? $1 : "") {
  $type = hex $1 if /^\S+   Entry: ID: 0x([0-9a-f]+)/;
  if (/Leaf: Addr: 0x([0-9a-f]+), Size: 0x([0-9a-f]+)/ && defined $rsrcRva && defined $rsrcFile) {
    my $at = hex($1) - hex($rsrcRva) + hex($rsrcFile);
    $resource{$type} //= substr($image, $at, hex $2);
  }
}

if ($ENV{NEEDS_MANIFEST}) {
  my $xml = $resource{24} // "";
  push @problems, "no manifest" unless $xml;
  my %wanted = (
    "Common-Controls 6" => qr{name="Microsoft\.Windows\.Common-Controls" version="6\.0\.0\.0"},
    "dpiAware true/pm" =>
      qr{<dpiAware xmlns="http://schemas\.microsoft\.com/SMI/2005/WindowsSettings">true/pm</dpiAware>},
    "dpiAwareness PerMonitorV2" =>
      qr{<dpiAwareness xmlns="http://schemas\.microsoft\.com/SMI/2016/WindowsSettings">PerMonitorV2},
    "longPathAware" =>
      qr{<longPathAware xmlns="http://schemas\.microsoft\.com/SMI/2016/WindowsSettings">true<},
    "asInvoker" => qr{<requestedExecutionLevel level="asInvoker"},
  );
  for my $what (sort keys %wanted) {
    push @problems, "manifest lacks $what" if $xml && $xml !~ $wanted{$what};
  }
}

# The version resource: its texts are UTF-16 pairs of key and value.
my $info = $resource{16} // "";
push @problems, "no version resource" unless $info;
my %value;
if ($info) {
  (my $text = $info) =~ s/(.)\0/$1/gs;  # ASCII keys and values
  for my $key (qw(ProductName FileDescription FileVersion ProductVersion LegalCopyright)) {
    $value{$key} = $1 if $text =~ /\Q$key\E\0+([\x20-\x7e]+)\0/;
    push @problems, "no $key" unless defined $value{$key} && length $value{$key};
  }
  for my $key (qw(FileVersion ProductVersion)) {
    push @problems, "$key $value{$key}, not $ENV{VERSION}"
      if defined $value{$key} && $value{$key} ne $ENV{VERSION};
  }
}

if (@problems) {
  print STDERR "$program: $_\n" for @problems;
  exit 1;
}
print "$program: flags, imports (", join(" ", @dlls), ")",
  $ENV{NEEDS_MANIFEST} ? ", manifest" : "", ", version $value{FileVersion}\n";
print "$value{ProductName}, $value{LegalCopyright}\n";
')
  echo "${found%$'\n'*}"
  product=${found##*$'\n'}
  if [[ -n $same && $product != "$same" ]]; then
    echo "$program: product name or copyright differs from the others: $product" >&2
    exit 1
  fi
  same=$product
done
