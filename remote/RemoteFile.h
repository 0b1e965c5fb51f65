// SEG-Y files read over HTTP(S) and from S3 object stores without being
// downloaded: the file core reads them through a ByteSource that fetches
// byte ranges and keeps the recent ones.
#pragma once

#include "segy/ByteSource.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace remote {

// Ranges are fetched in whole aligned blocks, and this many blocks are kept
// a location, whatever the file's size: 64 MiB, and 32 MiB of pages (see
// RemoteFile.cpp), read ahead of the reader or most recently read. A scan's
// stream keeps, of the blocks ahead, only the headers, at most 64 MiB.
constexpr int64_t kBlockBytes = 1 << 20;
constexpr int kCachedBlocks = 64;

// Connect and stall limits: a server that does not answer within the
// first, or sends nothing for the second, fails the read.
constexpr long kConnectTimeoutSeconds = 10;
constexpr long kStallSeconds = 20;
// Redirections an http(s) address is followed through; a server that sends
// the request round for longer (a loop) fails the read.
constexpr long kMostRedirections = 10;

// What a location is fetched from and how the requests are signed.
struct RemoteTarget {
    std::string url;   // the http(s) address requested
    std::string shown; // the location as messages name it, without credentials
    bool s3 = false;
    std::string region;
    std::string keyId, secret, sessionToken; // empty: anonymous requests
};

// The target of an http://, https:// or s3:// location. S3 takes its region
// from AWS_REGION or AWS_DEFAULT_REGION (default us-east-1), an S3-compatible
// store's address from AWS_ENDPOINT_URL (addressed by path), and credentials
// from AWS_ACCESS_KEY_ID, AWS_SECRET_ACCESS_KEY and AWS_SESSION_TOKEN.
bool ResolveLocation(const std::string& location, RemoteTarget& target, std::string& reason);

// The location without any user name or password it holds.
std::string ShownLocation(const std::string& location);

// Opens a location for the file core. A location opened before in this
// process is the same source, so its connection and blocks are reused by
// the core's many short opens.
std::shared_ptr<segy::ByteSource> OpenLocation(const std::string& location, std::string& reason);

// The file names to list beside a location, as a folder lists the files
// with the chosen file's extension: for s3://BUCKET/PREFIX/NAME.EXT the
// objects directly under PREFIX/ whose names end in .EXT (any letter case),
// by ListObjectsV2, sorted; for an http(s) address its own name. False
// with the reason when the store cannot list them.
bool ListBesideLocation(const std::string& location, std::vector<std::string>& names,
                        std::string& reason);

// Tells that `location`, when it is next opened, will be read through from
// its start (a scan of every header): its opening request then asks for the
// whole file and goes on as the read, which spares a round trip. A local
// path, or a location open already, is left as it is.
void ExpectReadThrough(const std::string& location);

// The processors a stream of headers plans for, in place of this machine's
// (0): with four or more, one that fits in memory runs as two transfers.
// For tests, which check both ways on any machine.
void AssumeProcessors(unsigned count);

// Installs OpenLocation as the file core's opener of locations.
void EnableLocations();

} // namespace remote
