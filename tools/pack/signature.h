// Checking a program's Authenticode signature against the file as it is, with
// OpenSSL's digests and PKCS#7 code. Whether the signing certificate is trusted is
// not checked: that is for the machine that runs the program.
#pragma once

#include <string>

#include "tools/pack/bytes.h"

struct SignatureFacts {
    std::string signer;     // the signing certificate's subject, RFC 2253
    std::string algorithm;  // of the digest, as OpenSSL names it ("sha256")
    std::string digest;     // the file's Authenticode digest, hexadecimal
};

// 1: signed, and the signature covers the file as it is; 0: not signed; -1: a
// signature that does not cover the file (a byte changed, added or cut anywhere) or
// is malformed, *error says how. *facts is filled for 1.
int CheckSignature(const Bytes& image, SignatureFacts* facts, std::string* error);

// "signed by "CN=...", sha256 digest ..." for the messages of verify.
std::string DescribeSignature(const SignatureFacts& facts);
