#!/usr/bin/env perl
# Reads the planted-fault list and plants one fault by literal replacement.
#   fault_tool.pl ids LIST [PLATFORM]       ids in list order, optionally of one platform
#   fault_tool.pl field LIST ID NAME        one field of a fault (file, platform, fault, ...)
#   fault_tool.pl plant LIST ID TREE        replaces the fault's text in TREE/file;
#                                           exit 3: text not found (stale), 4: found more than once
#   fault_tool.pl check LIST TREE           every fault's text found exactly once in TREE
use strict;
use warnings;

sub unescape {
  my ($text) = @_;
  $text =~ s/\\(n|\\)/$1 eq 'n' ? "\n" : "\\"/ge;
  return $text;
}

sub read_list {
  my ($path) = @_;
  open(my $in, '<', $path) or die "cannot read $path: $!\n";
  my (@faults, $current);
  while (my $line = <$in>) {
    chomp $line;
    next if $line =~ /^#/;
    if ($line =~ /^\s*$/) {
      push @faults, $current if $current;
      undef $current;
      next;
    }
    my ($key, $value) = $line =~ /^(\w+):\s?(.*)$/ or die "$path:$.: not \"key: value\"\n";
    $current //= {};
    die "$path:$.: $key given twice\n" if exists $current->{$key};
    $current->{$key} = $value;
  }
  push @faults, $current if $current;
  my %seen;
  for my $f (@faults) {
    for my $key (qw(id file platform fault find replace)) {
      die "fault " . ($f->{id} // '?') . " has no $key\n" unless defined $f->{$key};
    }
    die "fault $f->{id}: platform must be linux or windows\n"
      unless $f->{platform} =~ /^(linux|windows)$/;
    die "fault id $f->{id} given twice\n" if $seen{$f->{id}}++;
  }
  return @faults;
}

sub find_fault {
  my ($list, $id) = @_;
  my ($f) = grep { $_->{id} eq $id } read_list($list);
  die "no fault $id in $list\n" unless $f;
  return $f;
}

sub count_in {
  my ($tree, $f) = @_;
  my $path = "$tree/$f->{file}";
  open(my $in, '<', $path) or return (0, undef);
  local $/;
  my $text = <$in>;
  my $find = unescape($f->{find});
  my $count = () = $text =~ /\Q$find\E/g;
  return ($count, $text);
}

my ($command, $list, @args) = @ARGV;
die "usage: fault_tool.pl ids|field|plant|check LIST ...\n" unless $command && $list;

if ($command eq 'ids') {
  my ($platform) = @args;
  print "$_->{id}\n" for grep { !$platform || $_->{platform} eq $platform } read_list($list);
} elsif ($command eq 'field') {
  my ($id, $name) = @args;
  my $value = find_fault($list, $id)->{$name};
  die "fault $id has no $name\n" unless defined $value;
  print "$value\n";
} elsif ($command eq 'plant') {
  my ($id, $tree) = @args;
  my $f = find_fault($list, $id);
  my ($count, $text) = count_in($tree, $f);
  exit 3 if $count == 0;
  exit 4 if $count > 1;
  my ($find, $replace) = (unescape($f->{find}), unescape($f->{replace}));
  $text =~ s/\Q$find\E/$replace/;
  open(my $out, '>', "$tree/$f->{file}") or die "cannot write $tree/$f->{file}: $!\n";
  print $out $text;
  close($out) or die "cannot write $tree/$f->{file}: $!\n";
} elsif ($command eq 'check') {
  my ($tree) = @args;
  my $bad = 0;
  for my $f (read_list($list)) {
    my ($count) = count_in($tree, $f);
    next if $count == 1;
    print "fault $f->{id} ($f->{file}): text found $count times\n";
    $bad = 1;
  }
  exit $bad;
} else {
  die "unknown command $command\n";
}
