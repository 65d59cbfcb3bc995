#!/usr/bin/perl
# Doxygen input filter for containers.h. The typed vector families are declared by one macro,
# whose comments the preprocessor drops; this filter writes out the macro's body for every
# family (V and T replaced by the family name and element type) so that each exported function
# of each family appears in the reference with the comment it has in the macro. Other headers
# pass through unchanged.
use strict;
use warnings;

my $file = shift @ARGV;
open(my $in, '<', $file) or die "$file: $!";
my @lines = <$in>;
close $in;

my $macro = 'ORBMATH_TYPED_VECTOR_DECLARE_';
my (@body, $inBody);
for my $line (@lines) {
    if ($line =~ /^#define \Q$macro\E\(V, T\)/) {
        $inBody = 1;
        print "\n";
        next;
    }
    if ($inBody) {
        my $text = $line;
        my $continued = $text =~ s/\\\s*$//;
        $text =~ s/\s+$//;
        push @body, $text;
        $inBody = 0 unless $continued;
        print "\n";
        next;
    }
    if ($line =~ /^\Q$macro\E\((\w+),\s*(\w+)\)\s*$/) {
        my ($family, $type) = ($1, $2);
        for my $text (@body) {
            my $out = $text;
            $out =~ s/V##/$family/g;
            $out =~ s/\bV\b/$family/g;
            $out =~ s/\bT\b/$type/g;
            $out =~ s{^(\s*)/\*(?!\*)(?!\s*-)}{$1/**};   # a comment before a declaration documents it
            print "$out\n";
        }
        print "\n";
        next;
    }
    print $line;
}
