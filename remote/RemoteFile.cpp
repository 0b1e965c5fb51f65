#include "remote/RemoteFile.h"

#include "remote/CurlLibrary.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <list>
#include <map>
#include <mutex>
#include <vector>

namespace remote {

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// A key's characters as an address path carries them.
std::string EncodePath(const std::string& text) {
    static const char* const kHex = "0123456789ABCDEF";
    std::string out;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~' || c == '/') {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

// One transfer's answer.
struct Response {
    long status = 0;
    std::string body;
    std::string contentRange;
    std::string error; // empty unless the transfer itself failed
};

size_t AppendBody(char* data, size_t size, size_t count, void* response) {
    static_cast<Response*>(response)->body.append(data, size * count);
    return size * count;
}

size_t NoteHeader(char* data, size_t size, size_t count, void* response) {
    const std::string line(data, size * count);
    const std::string name = "content-range:";
    if (line.size() > name.size()) {
        std::string start = line.substr(0, name.size());
        std::transform(start.begin(), start.end(), start.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (start == name) {
            std::string value = line.substr(name.size());
            value.erase(0, value.find_first_not_of(" \t"));
            value.erase(value.find_last_not_of(" \t\r\n") + 1);
            static_cast<Response*>(response)->contentRange = value;
        }
    }
    return size * count;
}

// The total size a Content-Range gives ("bytes 0-0/1234" or "bytes */1234");
// -1 when it gives none.
int64_t TotalOf(const std::string& contentRange) {
    const size_t slash = contentRange.rfind('/');
    if (slash == std::string::npos || contentRange.rfind("bytes", 0) != 0)
        return -1;
    char* end = nullptr;
    const long long total = std::strtoll(contentRange.c_str() + slash + 1, &end, 10);
    return end && *end == '\0' && total >= 0 ? total : -1;
}

std::string StatusReason(long status) {
    switch (status) {
    case 401:
    case 403:
        return "The server refused access (HTTP " + std::to_string(status) + ").";
    case 404:
        return "There is no such file on the server (HTTP 404).";
    default:
        return "The server answered HTTP " + std::to_string(status) + ".";
    }
}

class RemoteFile final : public segy::ByteSource {
public:
    RemoteFile(const CurlLibrary& curl, RemoteTarget target)
        : curl_(curl), target_(std::move(target)), handle_(curl_.easy_init()) {}
    ~RemoteFile() override {
        if (handle_)
            curl_.easy_cleanup(handle_);
    }

    // Learns the size from a one-byte range; false with the reason.
    bool Open(std::string& reason) {
        if (!handle_) {
            reason = "libcurl could not be started.";
            return false;
        }
        const Response r = Fetch(0, 0);
        if (!r.error.empty()) {
            reason = r.error;
            return false;
        }
        if (r.status == 416 && TotalOf(r.contentRange) == 0) {
            size_ = 0; // an empty file has no byte 0
            return true;
        }
        if (r.status == 200) {
            reason = "The server sends only whole files, not the byte ranges Vantrel reads.";
            return false;
        }
        if (r.status != 206) {
            reason = StatusReason(r.status);
            return false;
        }
        size_ = TotalOf(r.contentRange);
        if (size_ < 0) {
            reason = "The server did not say the file's size.";
            return false;
        }
        return true;
    }

    int64_t Size() const override { return size_; }

    int64_t ReadAt(void* buffer, int64_t count, int64_t offset) const override {
        std::lock_guard lock(mutex_);
        failure_.clear();
        if (offset >= size_ || count <= 0)
            return 0;
        count = std::min(count, size_ - offset);
        auto* out = static_cast<unsigned char*>(buffer);
        int64_t done = 0;
        while (done < count) {
            const int64_t at = offset + done;
            const int64_t block = at / kBlockBytes;
            const std::vector<unsigned char>* bytes = Cached(block);
            if (!bytes && !FetchBlocks(block, (offset + count - 1) / kBlockBytes))
                return done;
            bytes = Cached(block);
            if (!bytes)
                return done;
            const int64_t within = at - block * kBlockBytes;
            const int64_t take =
                std::min<int64_t>(count - done, static_cast<int64_t>(bytes->size()) - within);
            if (take <= 0)
                return done;
            std::memcpy(out + done, bytes->data() + within, static_cast<size_t>(take));
            done += take;
        }
        return done;
    }

    std::string Failure() const override {
        std::lock_guard lock(mutex_);
        return failure_.empty() ? failure_ : "Cannot read \"" + target_.shown + "\". " + failure_;
    }

private:
    Response Fetch(int64_t first, int64_t last) const {
        Response r;
        curl_.easy_reset(handle_);
        const std::string range = std::to_string(first) + "-" + std::to_string(last);
        curl_.easy_setopt(handle_, CURLOPT_URL, target_.url.c_str());
        curl_.easy_setopt(handle_, CURLOPT_RANGE, range.c_str());
        curl_.easy_setopt(handle_, CURLOPT_WRITEFUNCTION, AppendBody);
        curl_.easy_setopt(handle_, CURLOPT_WRITEDATA, &r);
        curl_.easy_setopt(handle_, CURLOPT_HEADERFUNCTION, NoteHeader);
        curl_.easy_setopt(handle_, CURLOPT_HEADERDATA, &r);
        curl_.easy_setopt(handle_, CURLOPT_NOSIGNAL, 1L);
        curl_.easy_setopt(handle_, CURLOPT_FOLLOWLOCATION, target_.s3 ? 0L : 1L);
        curl_.easy_setopt(handle_, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
        curl_.easy_setopt(handle_, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_.easy_setopt(handle_, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
        curl_.easy_setopt(handle_, CURLOPT_USERAGENT, "vantrel");
        curl_slist* headers = nullptr;
        std::string credentials;
        if (target_.s3 && !target_.keyId.empty()) {
            // Signature version 4, which libcurl computes for every request;
            // the credentials go to this store's address and nowhere else.
            const std::string sigv4 = "aws:amz:" + target_.region + ":s3";
            curl_.easy_setopt(handle_, CURLOPT_AWS_SIGV4, sigv4.c_str());
            credentials = target_.keyId + ":" + target_.secret;
            curl_.easy_setopt(handle_, CURLOPT_USERPWD, credentials.c_str());
            if (!target_.sessionToken.empty())
                headers = curl_.slist_append(
                    headers, ("x-amz-security-token: " + target_.sessionToken).c_str());
            // The signed payload hash: a GET has no body.
            headers = curl_.slist_append(
                headers, "x-amz-content-sha256: "
                         "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
            curl_.easy_setopt(handle_, CURLOPT_HTTPHEADER, headers);
        }
        const CURLcode code = curl_.easy_perform(handle_);
        if (code != CURLE_OK)
            r.error =
                std::string("The server could not be read: ") + curl_.easy_strerror(code) + ".";
        else
            curl_.easy_getinfo(handle_, CURLINFO_RESPONSE_CODE, &r.status);
        curl_.easy_setopt(handle_, CURLOPT_HTTPHEADER, static_cast<curl_slist*>(nullptr));
        if (headers)
            curl_.slist_free_all(headers);
        return r;
    }

    const std::vector<unsigned char>* Cached(int64_t block) const {
        const auto found = blocks_.find(block);
        if (found == blocks_.end())
            return nullptr;
        recent_.remove(block);
        recent_.push_front(block);
        return &found->second;
    }

    // Fetches the blocks from `first` up to `last` that are missing in one
    // range (stopping at the first cached one, and at the cache's size).
    bool FetchBlocks(int64_t first, int64_t last) const {
        int64_t end = first;
        while (end < last && end - first + 1 < kCachedBlocks && !blocks_.count(end + 1))
            ++end;
        const int64_t from = first * kBlockBytes;
        const int64_t to = std::min(size_, (end + 1) * kBlockBytes) - 1;
        const Response r = Fetch(from, to);
        if (!r.error.empty()) {
            failure_ = r.error;
            return false;
        }
        if (r.status != 206) {
            failure_ = StatusReason(r.status);
            return false;
        }
        if (TotalOf(r.contentRange) != size_) {
            failure_ = "The file changed on the server while it was being read.";
            return false;
        }
        if (static_cast<int64_t>(r.body.size()) != to - from + 1) {
            failure_ = "The server sent fewer bytes than asked for.";
            return false;
        }
        for (int64_t b = first; b <= end; ++b) {
            const size_t at = static_cast<size_t>((b - first) * kBlockBytes);
            const size_t length = std::min(static_cast<size_t>(kBlockBytes), r.body.size() - at);
            blocks_[b].assign(r.body.begin() + static_cast<std::ptrdiff_t>(at),
                              r.body.begin() + static_cast<std::ptrdiff_t>(at + length));
            recent_.remove(b);
            recent_.push_front(b);
        }
        while (static_cast<int>(recent_.size()) > kCachedBlocks) {
            blocks_.erase(recent_.back());
            recent_.pop_back();
        }
        return true;
    }

    const CurlLibrary& curl_;
    const RemoteTarget target_;
    CURL* const handle_;
    int64_t size_ = -1;
    mutable std::mutex mutex_;
    mutable std::map<int64_t, std::vector<unsigned char>> blocks_;
    mutable std::list<int64_t> recent_;
    mutable std::string failure_;
};

} // namespace

std::string ShownLocation(const std::string& location) {
    return segy::LocationWithoutCredentials(location);
}

bool ResolveLocation(const std::string& location, RemoteTarget& target, std::string& reason) {
    target = RemoteTarget();
    target.shown = ShownLocation(location);
    if (location.rfind("http://", 0) == 0 || location.rfind("https://", 0) == 0) {
        target.url = location;
        return true;
    }
    const std::string path = location.substr(5); // after "s3://"
    const size_t slash = path.find('/');
    if (location.rfind("s3://", 0) != 0 || slash == 0 || slash == std::string::npos ||
        slash + 1 >= path.size()) {
        reason = "An S3 location is s3://BUCKET/KEY.";
        return false;
    }
    const std::string bucket = path.substr(0, slash);
    const std::string key = path.substr(slash + 1);
    target.s3 = true;
    target.region = Environment("AWS_REGION");
    if (target.region.empty())
        target.region = Environment("AWS_DEFAULT_REGION");
    if (target.region.empty())
        target.region = "us-east-1";
    std::string endpoint = Environment("AWS_ENDPOINT_URL");
    if (!endpoint.empty()) {
        // S3-compatible stores are addressed by path: ENDPOINT/BUCKET/KEY.
        while (!endpoint.empty() && endpoint.back() == '/')
            endpoint.pop_back();
        target.url = endpoint + "/" + EncodePath(bucket) + "/" + EncodePath(key);
    } else if (bucket.find('.') != std::string::npos) {
        target.url = "https://s3." + target.region + ".amazonaws.com/" + EncodePath(bucket) + "/" +
                     EncodePath(key);
    } else {
        target.url =
            "https://" + bucket + ".s3." + target.region + ".amazonaws.com/" + EncodePath(key);
    }
    target.keyId = Environment("AWS_ACCESS_KEY_ID");
    target.secret = Environment("AWS_SECRET_ACCESS_KEY");
    target.sessionToken = Environment("AWS_SESSION_TOKEN");
    if (target.keyId.empty() || target.secret.empty())
        target.keyId.clear(); // anonymous, as for a public bucket
    return true;
}

std::shared_ptr<segy::ByteSource> OpenLocation(const std::string& location, std::string& reason) {
    static std::mutex mutex;
    static std::map<std::string, std::shared_ptr<RemoteFile>> opened;
    std::lock_guard lock(mutex);
    if (const auto found = opened.find(location); found != opened.end())
        return found->second;
    RemoteTarget target;
    std::string why;
    const CurlLibrary* curl = ResolveLocation(location, target, why) ? LoadCurl(why) : nullptr;
    auto file = curl ? std::make_shared<RemoteFile>(*curl, target) : nullptr;
    if (!file || !file->Open(why)) {
        reason = "Cannot read \"" + ShownLocation(location) + "\". " + why;
        return nullptr;
    }
    // Locations stay open for the program's life; a handful is all a
    // session visits.
    constexpr size_t kKeptLocations = 8;
    if (opened.size() >= kKeptLocations)
        opened.erase(opened.begin());
    opened[location] = file;
    return file;
}

void EnableLocations() {
    segy::SetLocationOpener(OpenLocation);
}

} // namespace remote
