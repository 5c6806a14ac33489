#include "tools/pack/signature.h"

#include <openssl/asn1.h>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/objects.h>
#include <openssl/pkcs7.h>
#include <openssl/x509.h>
#include <stdio.h>

#include <memory>

#include "payload/little_endian.h"
#include "tools/pack/pe_resources.h"

// The one entry of the certificate table: WIN_CERTIFICATE with a PKCS#7 SignedData.
enum : uint32_t { kCertificateHeader = 8, kRevision2 = 0x0200, kPkcsSignedData = 0x0002 };
// The SignedData's content: SpcIndirectDataContent, the digest of the image.
static const char kIndirectDataObject[] = "1.3.6.1.4.1.311.2.1.4";

template <typename T, void (*Free)(T*)>
struct Freer {
    void operator()(T* object) const { Free(object); }
};
typedef std::unique_ptr<PKCS7, Freer<PKCS7, PKCS7_free>> Pkcs7Holder;
typedef std::unique_ptr<X509_SIG, Freer<X509_SIG, X509_SIG_free>> DigestInfoHolder;
typedef std::unique_ptr<BIO, Freer<BIO, BIO_free_all>> BioHolder;
typedef std::unique_ptr<ASN1_OBJECT, Freer<ASN1_OBJECT, ASN1_OBJECT_free>> ObjectHolder;
typedef std::unique_ptr<EVP_MD_CTX, Freer<EVP_MD_CTX, EVP_MD_CTX_free>> DigestHolder;

static void FreeSequence(ASN1_SEQUENCE_ANY* sequence)
{
    sk_ASN1_TYPE_pop_free(sequence, ASN1_TYPE_free);
}
typedef std::unique_ptr<ASN1_SEQUENCE_ANY, Freer<ASN1_SEQUENCE_ANY, FreeSequence>> SequenceHolder;

static std::string Hex(const unsigned char* bytes, size_t size)
{
    std::string text;
    char pair[3];
    for (size_t i = 0; i < size; ++i) {
        snprintf(pair, sizeof pair, "%02x", bytes[i]);
        text += pair;
    }
    return text;
}

// OpenSSL's reason for the last failure, for the message.
static std::string OpenSslReason()
{
    unsigned long code = ERR_peek_last_error();
    const char* reason = code ? ERR_reason_error_string(code) : nullptr;
    ERR_clear_error();
    return reason ? reason : "no reason given";
}

// The PE checksum over the whole file, its own field counted as zeros.
static uint32_t PeChecksum(const Bytes& image, size_t checksumField)
{
    uint64_t sum = 0;
    for (size_t i = 0; i < image.size(); i += 2) {
        uint32_t low = i - checksumField < 4 ? 0 : image[i];
        uint32_t high = i + 1 >= image.size() || i + 1 - checksumField < 4 ? 0 : image[i + 1];
        sum += low | high << 8;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return (uint32_t)((sum & 0xFFFF) + (sum >> 16)) + (uint32_t)image.size();
}

// The digest an Authenticode signature signs: every byte before the certificate table
// but the checksum and the table's directory entry.
static bool ImageDigest(const Bytes& image, const SignatureLayout& layout, const EVP_MD* algorithm,
                        std::string* digest)
{
    DigestHolder context(EVP_MD_CTX_new());
    const unsigned char* bytes = image.data();
    unsigned char value[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (!context || !EVP_DigestInit_ex(context.get(), algorithm, nullptr)
        || !EVP_DigestUpdate(context.get(), bytes, layout.checksum)
        || !EVP_DigestUpdate(context.get(), bytes + layout.checksum + 4, layout.directoryEntry - layout.checksum - 4)
        || !EVP_DigestUpdate(context.get(), bytes + layout.directoryEntry + 8, layout.table - layout.directoryEntry - 8)
        || !EVP_DigestFinal_ex(context.get(), value, &size))
        return false;
    *digest = Hex(value, size);
    return true;
}

// The signature's bytes: the table's one WIN_CERTIFICATE, which must end the file.
static bool FindSignedData(const Bytes& image, const SignatureLayout& layout, const unsigned char** data,
                           size_t* size, std::string* error)
{
    uint64_t end = (uint64_t)layout.table + layout.tableSize;
    if (layout.table < layout.directoryEntry + 8 || end > image.size()) {
        *error = "the certificate table lies outside the file";
        return false;
    }
    if (end < image.size()) {
        uint64_t more = image.size() - end;
        *error = "the file goes on for " + std::to_string(more) + (more == 1 ? " byte" : " bytes")
                 + " after its signature, which does not cover them";
        return false;
    }
    const unsigned char* entry = image.data() + layout.table;
    uint32_t length = layout.tableSize >= kCertificateHeader ? ReadWord32(entry) : 0;
    if (length < kCertificateHeader || length > layout.tableSize || layout.tableSize - length >= 8
        || (entry[4] | entry[5] << 8) != kRevision2 || (entry[6] | entry[7] << 8) != kPkcsSignedData) {
        *error = "the certificate table is not one Authenticode signature";
        return false;
    }
    *data = entry + kCertificateHeader;
    *size = length - kCertificateHeader;
    return true;
}

// The digest algorithm and value the SignedData's SpcIndirectDataContent holds, and
// the content's bytes after its SEQUENCE header, which the signer's attributes sign.
static bool ReadIndirectData(PKCS7* signedData, const EVP_MD** algorithm, std::string* digest,
                             const unsigned char** content, long* contentSize)
{
    PKCS7* inner = PKCS7_type_is_signed(signedData) ? signedData->d.sign->contents : nullptr;
    ObjectHolder expected(OBJ_txt2obj(kIndirectDataObject, 1));
    if (!inner || !inner->type || !expected || OBJ_cmp(inner->type, expected.get()) != 0 || !inner->d.other
        || inner->d.other->type != V_ASN1_SEQUENCE)
        return false;
    const ASN1_STRING* whole = inner->d.other->value.sequence;
    const unsigned char* cursor = whole->data;
    SequenceHolder parts(d2i_ASN1_SEQUENCE_ANY(nullptr, &cursor, whole->length));
    if (!parts || sk_ASN1_TYPE_num(parts.get()) != 2)
        return false;
    const ASN1_TYPE* digestPart = sk_ASN1_TYPE_value(parts.get(), 1);
    if (digestPart->type != V_ASN1_SEQUENCE)
        return false;
    cursor = digestPart->value.sequence->data;
    DigestInfoHolder info(d2i_X509_SIG(nullptr, &cursor, digestPart->value.sequence->length));
    if (!info)
        return false;
    const X509_ALGOR* algorithmId;
    const ASN1_OCTET_STRING* value;
    X509_SIG_get0(info.get(), &algorithmId, &value);
    const ASN1_OBJECT* algorithmObject;
    X509_ALGOR_get0(&algorithmObject, nullptr, nullptr, algorithmId);
    *algorithm = EVP_get_digestbynid(OBJ_obj2nid(algorithmObject));
    *digest = Hex(ASN1_STRING_get0_data(value), (size_t)ASN1_STRING_length(value));

    cursor = whole->data;
    int tag, objectClass;
    if (!*algorithm || ASN1_get_object(&cursor, contentSize, &tag, &objectClass, whole->length) & 0x80)
        return false;
    *content = cursor;
    return true;
}

// The signer's certificate subject; the signature over the signer's attributes
// (which hold the content's digest) is checked by PKCS7_verify, the chain is not.
static bool VerifySigner(PKCS7* signedData, const unsigned char* content, long contentSize, std::string* signer,
                         std::string* error)
{
    // Given a memory BIO, OpenSSL 3.0's PKCS7_verify copies it into one of its own,
    // which it loses when the SignedData names a digest it cannot set up: a buffering
    // filter in front keeps the data ours.
    BioHolder memory(BIO_new_mem_buf(content, (int)contentSize));
    BioHolder data(memory ? BIO_push(BIO_new(BIO_f_buffer()), memory.get()) : nullptr);
    if (data)
        memory.release();
    if (!data || PKCS7_verify(signedData, nullptr, nullptr, data.get(), nullptr, PKCS7_NOVERIFY | PKCS7_BINARY) != 1) {
        *error = "the signature does not verify against its own certificate (" + OpenSslReason() + ")";
        return false;
    }
    STACK_OF(X509)* signers = PKCS7_get0_signers(signedData, nullptr, 0);
    BioHolder text(BIO_new(BIO_s_mem()));
    if (signers && sk_X509_num(signers) > 0 && text)
        X509_NAME_print_ex(text.get(), X509_get_subject_name(sk_X509_value(signers, 0)), 0, XN_FLAG_RFC2253);
    sk_X509_free(signers);
    char* name = nullptr;
    long length = text ? BIO_get_mem_data(text.get(), &name) : 0;
    signer->assign(name ? name : "", name ? (size_t)length : 0);
    return true;
}

int CheckSignature(const Bytes& image, SignatureFacts* facts, std::string* error)
{
    SignatureLayout layout;
    if (!ReadSignatureLayout(image, &layout, error))
        return -1;
    if (!layout.table && !layout.tableSize)
        return 0;
    const unsigned char* signature;
    size_t size;
    if (!FindSignedData(image, layout, &signature, &size, error))
        return -1;
    ERR_clear_error();
    Pkcs7Holder signedData(d2i_PKCS7(nullptr, &signature, (long)size));
    const EVP_MD* algorithm = nullptr;
    std::string signedDigest;
    const unsigned char* content = nullptr;
    long contentSize = 0;
    if (!signedData || !ReadIndirectData(signedData.get(), &algorithm, &signedDigest, &content, &contentSize)) {
        *error = "the signature is malformed: not an Authenticode SignedData (" + OpenSslReason() + ")";
        return -1;
    }
    facts->algorithm = OBJ_nid2ln(EVP_MD_get_type(algorithm));
    if (!ImageDigest(image, layout, algorithm, &facts->digest)) {
        *error = "the " + facts->algorithm + " digest cannot be computed (" + OpenSslReason() + ")";
        return -1;
    }
    if (facts->digest != signedDigest) {
        *error = "the signature does not cover the file as it is: its " + facts->algorithm + " digest is "
                 + facts->digest + ", the signed one " + signedDigest;
        return -1;
    }
    if (!VerifySigner(signedData.get(), content, contentSize, &facts->signer, error))
        return -1;
    // The digest leaves out the checksum and the signature itself; the checksum, set
    // when the file was signed, covers those too.
    uint32_t stored = ReadWord32(image.data() + layout.checksum);
    uint32_t computed = PeChecksum(image, layout.checksum);
    if (stored != computed) {
        char numbers[64];
        snprintf(numbers, sizeof numbers, "0x%08X, its bytes give 0x%08X", stored, computed);
        *error = "the file was changed after it was signed: its checksum is " + std::string(numbers);
        return -1;
    }
    return 1;
}

std::string DescribeSignature(const SignatureFacts& facts)
{
    return "signed by \"" + facts.signer + "\", " + facts.algorithm + " digest " + facts.digest;
}
