#include "server/WebSite.h"

#include "base/Text.h"
#include "server/CodePage.h"
#include "server/RequestHandler.h"
#include "server/RequestLog.h"
#include "server/UploadCheck.h"
#include "server/WebText.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace likenex {

namespace fs = std::filesystem;

namespace {

constexpr const char* kNewsFile = "news.tsv";

std::string page(std::string_view title, std::string_view body) {
    std::string html =
        "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
        "<title>" +
        htmlEscape(title) +
        " - Likenex</title>"
        "<style>body{font-family:sans-serif;max-width:40em;margin:0 auto;padding:0 "
        "1em;line-height:1.4;overflow-wrap:anywhere}"
        "nav a{margin-right:1em}input,button{font-size:1em;margin:.2em 0}label{display:block;margin-top:.5em}"
        "table{border-collapse:collapse}td,th{border-bottom:1px solid #ccc;padding:.2em .5em;text-align:left}"
        "img{image-rendering:pixelated}</style></head><body>\n"
        "<nav><a href=\"/\">Home</a><a href=\"/?c=search&amp;type=0\">Search</a><a href=\"/?c=reg\">Register</a>"
        "<a href=\"/my.aspx?mc=account&amp;to=pay\">Account</a><a href=\"/?c=help\">Help</a></nav>\n<h1>" +
        htmlEscape(title) + "</h1>\n";
    html += body;
    html += "\n</body></html>\n";
    return html;
}

HttpResponse html(std::string_view title, std::string_view body, int status = 200) {
    HttpResponse r;
    r.status = status;
    r.body = page(title, body);
    return r;
}

std::string avatarList(const std::vector<AvatarSummary>& avatars) {
    if (avatars.empty()) return "<p>No avatars yet.</p>";
    std::string out = "<ul>";
    for (const AvatarSummary& a : avatars) {
        out += "<li><a href=\"/a/" + std::to_string(a.number) + "\">" + htmlEscape(text::utf8FromUtf16(a.title)) +
               "</a> by " + htmlEscape(a.ownerName) + " <small>" + isoUtc(a.createdAt) + "</small></li>";
    }
    return out + "</ul>";
}

std::string signInFields() {
    return "<label>Name <input name=\"name\" maxlength=\"23\" autocomplete=\"username\" required></label>"
           "<label>Password <input name=\"password\" type=\"password\" maxlength=\"" +
           std::to_string(kLongestPassword) + "\" autocomplete=\"current-password\"></label>";
}

std::string paragraph(std::string_view text) { return "<p>" + htmlEscape(text) + "</p>"; }

// An avatar's picture at an address of its own; browsers may keep it for an hour.
HttpResponse pictureResponse(std::string contentType, const std::vector<std::uint8_t>& bytes) {
    HttpResponse r;
    r.contentType = std::move(contentType);
    r.body.assign(bytes.begin(), bytes.end());
    r.headers["Cache-Control"] = "max-age=3600";
    return r;
}

bool isSafeFileName(std::string_view name) {
    if (name.empty() || name.size() > 100 || name.front() == '.') return false;
    for (char c : name)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_')) return false;
    return true;
}

// News titles reach the updater's page as markup: characters that would start markup are
// replaced by look-alikes, so that a title always shows as text.
std::string plainTitle(std::string_view title) {
    std::string out;
    for (char c : title) {
        if (c == '<') out += "\u2039";
        else if (c == '>') out += "\u203A";
        else if (c == '&') out += "+";
        else out += c;
    }
    return out;
}

// "YYYY-MM-DDTHH:MM:SSZ": only such dates order correctly as texts. The date must exist (no
// month 13, no 30 February, no hour 24): an impossible one would sort as the newest item.
bool isIsoUtc(std::string_view date) {
    static constexpr std::string_view kShape = "dddd-dd-ddTdd:dd:ddZ";
    if (date.size() != kShape.size()) return false;
    for (std::size_t i = 0; i < date.size(); ++i)
        if (kShape[i] == 'd' ? !std::isdigit(static_cast<unsigned char>(date[i])) : date[i] != kShape[i]) return false;
    auto number = [&](std::size_t at, std::size_t digits) {
        int value = 0;
        for (std::size_t i = at; i < at + digits; ++i) value = value * 10 + (date[i] - '0');
        return value;
    };
    const int year = number(0, 4), month = number(5, 2), day = number(8, 2);
    if (month < 1 || month > 12 || day < 1) return false;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    if (day > kDays[month - 1] + (month == 2 && leap ? 1 : 0)) return false;
    return number(11, 2) < 24 && number(14, 2) < 60 && number(17, 2) < 60;
}

// The text as XML 1.0 may carry it: a sequence that is not UTF-8 becomes U+FFFD, and the
// characters XML does not allow at all (C0 controls other than tab, line feed and carriage
// return; U+FFFE and U+FFFF) are dropped. One stray byte in the news file must not make the
// whole feed unreadable.
std::string xmlCharacters(std::string_view text) {
    static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            if (lead >= 0x20 || lead == '\t' || lead == '\n' || lead == '\r') out += static_cast<char>(lead);
            ++i;
            continue;
        }
        std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                             : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                            : 0;
        std::uint32_t code = length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
        std::size_t taken = 1;
        while (length != 0 && taken < length && i + taken < text.size() &&
               (static_cast<unsigned char>(text[i + taken]) & 0xC0) == 0x80) {
            code = code << 6 | (static_cast<unsigned char>(text[i + taken]) & 0x3F);
            ++taken;
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8 either.
        const bool valid = length != 0 && taken == length && !(length == 3 && code < 0x800) &&
                           !(length == 4 && code < 0x10000) && !(code >= 0xD800 && code <= 0xDFFF) && code <= 0x10FFFF;
        if (!valid) out += kReplacement;
        else if (code != 0xFFFE && code != 0xFFFF) out += text.substr(i, taken);
        i += taken;
    }
    return out;
}

std::string xmlEscape(std::string_view text) { return htmlEscape(text); }

std::string cdata(std::string_view text) {
    std::string out = "<![CDATA[";
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.substr(i, 3) == "]]>") {
            out += "]]]]><![CDATA[>";
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out + "]]>";
}

}  // namespace

WebSite::WebSite(Storage& storage, Accounts& accounts, SignInThrottle& throttle, const Catalogue& catalogue,
                 const ServerConfig& config, std::string programDirectory)
    : storage_(storage),
      accounts_(accounts),
      throttle_(throttle),
      catalogue_(catalogue),
      config_(config),
      programDirectory_(std::move(programDirectory)),
      pictures_(programDirectory_, config_.pictureThreads + 1),
      codes_(pictures_, CodePictures::Limits{config_.codePicturesPerMinute,
                                             static_cast<std::size_t>(config_.codePictureCacheMiB) << 20}),
      codePage_(codePageNamed(config_.codePage).value_or(nullptr)) {
    if (!codePage_) throw std::invalid_argument("unknown code_page " + config_.codePage);
    // The feed answers at the path of the news base ("http://host:port/path"); the query the
    // updater appends is ignored.
    const std::string base = config_.newsBaseOrDefault();
    std::size_t pathStart = base.find('/', std::string_view("http://").size());
    newsPath_ =
        pathStart == std::string_view::npos ? "/" : std::string(targetPath(std::string_view(base).substr(pathStart)));
}

HttpResponse WebSite::respond(const HttpRequest& request) {
    if (request.method != "GET" && request.method != "HEAD" && request.method != "POST")
        return html("Not allowed", paragraph("This address answers GET and POST only."), 405);
    std::string path(targetPath(request.target));
    auto query = parseForm(targetQuery(request.target));
    auto value = [&](const char* key) { return query.contains(key) ? query[key] : std::string(); };

    if (path == newsPath_) return feed();
    if (path.rfind("/Download/", 0) == 0) return download(std::string_view(path).substr(10));
    if (path.rfind("/a/", 0) == 0) {
        std::int64_t number = 0;
        std::string_view digits = std::string_view(path).substr(3);
        auto endsWith = [&](std::string_view suffix) {
            return digits.size() > suffix.size() && digits.substr(digits.size() - suffix.size()) == suffix;
        };
        const bool still = endsWith(".bmp"), animated = endsWith(".png");
        if (still || animated) digits.remove_suffix(4);
        auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
        if (ec != std::errc() || end != digits.data() + digits.size() || number <= 0)
            return html("Not found", paragraph("There is no such avatar."), 404);
        if (still) return avatarPicture(number);
        if (animated) return avatarAnimation(number);
        return avatarPage(number, request);
    }
    if (CodePictures::isCodePath(path)) return codes_.respond(request, path);
    if (path.rfind("/c/", 0) == 0) return codePage(std::string_view(path).substr(3));
    if (path == "/my.aspx") return account(request);
    if (path == "/" || path.empty()) {
        std::string c = value("c");
        if (c.empty()) return home();
        if (c == "search") return search(value("q"));
        if (c == "help") return help();
        if (c == "reg") return registration(request);
        if (c == "forgot") return forgotten();
    }
    return html("Not found", paragraph("Nothing lives at this address."), 404);
}

HttpResponse WebSite::home() {
    std::string body = paragraph("Avatars made with the Likenex editor. The newest open ones:");
    body += avatarList(storage_.latestAvatars(20));
    body +=
        "<form action=\"/\" method=\"get\"><input type=\"hidden\" name=\"c\" value=\"search\">"
        "<input type=\"hidden\" name=\"type\" value=\"0\"><label>Title <input name=\"q\"></label>"
        "<button>Search</button></form>";
    body += "<p><a href=\"/random\">An avatar dressed at random</a></p>";
    return html("Likenex", body);
}

HttpResponse WebSite::search(const std::string& query) {
    std::string body =
        "<form action=\"/\" method=\"get\"><input type=\"hidden\" name=\"c\" value=\"search\">"
        "<input type=\"hidden\" name=\"type\" value=\"0\"><label>Title <input name=\"q\" value=\"" +
        htmlEscape(query) + "\"></label><button>Search</button></form>";
    if (!query.empty()) {
        body += "<h2>Titles containing \u201c" + htmlEscape(query) + "\u201d</h2>";
        const std::u16string text = text::utf16FromUtf8Replacing(query);
        if (characterCount(text) < kShortestIndexedSearch)
            body += paragraph("A text this short is looked for among the newest " + std::to_string(kShortSearchWindow) +
                              " avatars only.");
        body += avatarList(storage_.searchAvatars(text, 50));
    }
    return html("Search", body);
}

HttpResponse WebSite::help() {
    return html("Help",
                "<p>Dress your figure in the Likenex editor, script its actions, and store it on the last page of the "
                "editor with your account name and password. The editor then shows the avatar's number and its address "
                "here.</p><p>Open avatars (shown to everybody) can be opened in the editor from their page. An avatar "
                "can instead be kept to yourself, or shown only with an access password.</p><p>The account "
                "<b>guest</b> needs no password and may store outfits that cost nothing.</p>");
}

HttpResponse WebSite::registration(const HttpRequest& request) {
    std::string form = "<form method=\"post\" action=\"/?c=reg\">" + signInFields() +
                       "<label>Password again <input name=\"again\" type=\"password\" maxlength=\"" +
                       std::to_string(kLongestPassword) +
                       "\"></label>"
                       "<button>Create the account</button></form>";
    if (request.method != "POST") return html("Register", paragraph("Choose a name of at most 23 characters.") + form);
    auto posted = parseForm(request.body);
    std::u16string name = text::utf16FromUtf8Replacing(posted["name"]);
    if (posted["password"] != posted["again"])
        return html("Register", paragraph("The two passwords differ.") + form, 400);
    const std::u16string password = text::utf16FromUtf8Replacing(posted["password"]);
    if (password.size() > kLongestPassword)
        return html("Register",
                    paragraph("A password has at most " + std::to_string(kLongestPassword) + " characters.") + form,
                    400);
    // Counted before the hash that a new account costs; given back when none was made.
    if (!registrations_.take(request.peer, std::chrono::steady_clock::now()))
        return html(
            "Register",
            paragraph("Too many accounts have been made from your address lately. Please try again in an hour.") + form,
            429);
    switch (accounts_.addAccount(name, typedPasswordDigest(password, codePage_))) {
    case Accounts::AddResult::Added:
        return html("Welcome",
                    paragraph("The account " + posted["name"] + " is ready. Sign in with it in the editor."));
    case Accounts::AddResult::NameTaken:
        registrations_.giveBack(request.peer);
        return html("Register", paragraph("The name " + posted["name"] + " is taken.") + form, 409);
    case Accounts::AddResult::InvalidName: break;
    }
    registrations_.giveBack(request.peer);
    return html("Register", paragraph("A name has 1 to 23 characters and cannot be guest.") + form, 400);
}

HttpResponse WebSite::forgotten() {
    return html("Forgotten password",
                "<p>This service keeps no e-mail addresses, so it cannot send a new password. Ask the service's "
                "operator to set a new one for your account (<code>likenex-server user passwd NAME</code>).</p><p>If "
                "the editor remembered your sign-in, it still "
                "signs in without the password.</p>");
}

std::optional<Account> WebSite::postedSignIn(const std::map<std::string, std::string>& form, const std::string& peer,
                                             std::string& message) {
    auto field = [&](const char* key) {
        auto it = form.find(key);
        return it == form.end() ? std::string() : it->second;
    };
    std::u16string name = text::utf16FromUtf8Replacing(field("name"));
    auto attempt = throttle_.admit(SignInThrottle::Subject::account(Accounts::nameKey(name)), peer,
                                   std::chrono::steady_clock::now());
    // Web sign-ins are not held: a slowed one is refused with a message instead of a wait.
    if (!attempt.admitted() || attempt.wait() > std::chrono::steady_clock::duration::zero()) {
        message = throttledMessage(attempt);
        return std::nullopt;
    }
    auto signedIn = Accounts::isGuest(name)
                        ? std::nullopt
                        : accounts_.signInTyped(name, text::utf16FromUtf8Replacing(field("password")), codePage_);
    if (!signedIn) {
        attempt.failed(std::chrono::steady_clock::now());
        message = "The name or the password is wrong.";
        return std::nullopt;
    }
    attempt.succeeded();
    return signedIn;
}

std::string WebSite::throttledMessage(const SignInThrottle::Attempt& attempt) {
    if (attempt.lockedFor() <= std::chrono::steady_clock::duration::zero())
        return "Too many failed attempts: wait a few seconds and try again.";
    const auto minutes = std::chrono::ceil<std::chrono::minutes>(attempt.lockedFor()).count();
    return "Too many failed attempts from your address: try again in " + std::to_string(minutes) +
           (minutes == 1 ? " minute." : " minutes.");
}

HttpResponse WebSite::account(const HttpRequest& request) {
    std::string form = "<form method=\"post\" action=\"/my.aspx?mc=account&amp;to=pay\">" + signInFields() +
                       "<button>Sign in</button></form>";
    if (request.method != "POST") return html("Your account", paragraph("Sign in to see your avatars.") + form);
    std::string message;
    auto signedIn = postedSignIn(parseForm(request.body), request.peer, message);
    if (!signedIn) return html("Your account", paragraph(message) + form, 403);
    std::string body = paragraph("Signed in as " + signedIn->name + ".");
    body += paragraph("Every outfit on this service is free: there is nothing to pay.");
    body += "<h2>Your avatars</h2>" + avatarList(storage_.avatarsOf(signedIn->id, 100));
    return html("Your account", body);
}

HttpResponse WebSite::avatarPage(std::int64_t number, const HttpRequest& request) {
    auto stored = storage_.loadAvatar(number);
    if (!stored) return html("Not found", paragraph("There is no such avatar."), 404);
    std::string self = "/a/" + std::to_string(number);
    auto posted = request.method == "POST" ? parseForm(request.body) : std::map<std::string, std::string>{};
    if (stored->accessMode == 2) {
        std::string form = "<form method=\"post\" action=\"" + self +
                           "\"><label>Access password <input name=\"access\" type=\"password\" maxlength=\"" +
                           std::to_string(kLongestPassword) +
                           "\"></label>"
                           "<button>Show</button></form>";
        if (request.method != "POST")
            return html("Avatar " + std::to_string(number),
                        paragraph("This avatar asks for its access password.") + form);
        auto attempt =
            throttle_.admit(SignInThrottle::Subject::avatar(number), request.peer, std::chrono::steady_clock::now());
        if (!attempt.admitted() || attempt.wait() > std::chrono::steady_clock::duration::zero()) {
            HttpResponse refused =
                html("Avatar " + std::to_string(number), paragraph(throttledMessage(attempt)) + form, 429);
            refused.headers["Retry-After"] = std::to_string(
                std::max<long long>(1, std::chrono::ceil<std::chrono::seconds>(attempt.lockedFor()).count()));
            return refused;
        }
        if (!Accounts::typedPasswordMatches(stored->accessHash, text::utf16FromUtf8Replacing(posted["access"]),
                                            codePage_)) {
            attempt.failed(std::chrono::steady_clock::now());
            return html("Avatar " + std::to_string(number), paragraph("That is not the access password.") + form, 403);
        }
        attempt.succeeded();
    } else if (stored->accessMode != 0) {
        std::string form =
            "<form method=\"post\" action=\"" + self + "\">" + signInFields() + "<button>Sign in</button></form>";
        if (request.method != "POST")
            return html("Avatar " + std::to_string(number), paragraph("Only its owner sees this avatar.") + form);
        std::string message;
        auto signedIn = postedSignIn(posted, request.peer, message);
        if (!signedIn) return html("Avatar " + std::to_string(number), paragraph(message) + form, 403);
        if (signedIn->id != stored->ownerId)
            return html("Avatar " + std::to_string(number), paragraph("Only its owner sees this avatar.") + form, 403);
    }

    const AvatarFields& a = stored->avatar;
    std::string body;
    // The script animated when it plays something, else the still picture.
    if (stored->accessMode == 0 && pictures_.animates(stored->avatar))
        body += "<p><img src=\"" + self + ".png\" width=\"256\" height=\"192\" alt=\"The avatar\"></p>";
    else if (stored->accessMode == 0 && pictures_.available())
        body += "<p><img src=\"" + self + ".bmp\" width=\"256\" height=\"256\" alt=\"The avatar\"></p>";
    body += "<p>By " + htmlEscape(stored->ownerName) + ", stored " + isoUtc(stored->createdAt) + ".</p>";
    if (!stored->secondText.empty()) body += paragraph(text::utf8FromUtf16(stored->secondText));
    if (!stored->thirdText.empty()) body += paragraph(text::utf8FromUtf16(stored->thirdText));
    body += "<table><tr><th>Facing</th><td>" + std::to_string(a.direction) + "</td></tr><tr><th>Skin</th><td>" +
            std::to_string(a.skin) + "</td></tr><tr><th>Face</th><td>" + std::to_string(a.faceOption1) + ", " +
            std::to_string(a.faceOption2) + "</td></tr><tr><th>Body part</th><td>" + std::to_string(a.bodyPart) +
            "</td></tr><tr><th>Items</th><td>";
    bool any = false;
    for (const ItemPair& pair : a.items) {
        if (pair.item == 0) continue;
        body += (any ? ", " : "") + std::to_string(pair.item) + " (colour " + std::to_string(pair.colour) + ")";
        any = true;
    }
    body += std::string(any ? "" : "none") + "</td></tr><tr><th>Price</th><td>" +
            std::to_string(outfitPrice(a, catalogue_)) + "</td></tr></table>";
    body += "<h2>Script</h2>";
    if (a.script.empty()) body += paragraph("No actions.");
    else {
        body += "<ol>";
        for (const ScriptEntry& entry : a.script) {
            long long frames = 0;
            if (entry.action >= 0 && entry.action <= 0xFFFF)
                if (const Action* action = catalogue_.findAction(static_cast<std::uint16_t>(entry.action)))
                    frames = static_cast<long long>(action->frames.size());
            body += "<li>Action " + std::to_string(entry.action) + " (" + std::to_string(frames) +
                    (frames == 1 ? " frame)" : " frames)");
            if (!entry.caption.empty()) body += ": \u201c" + htmlEscape(text::utf8FromUtf16(entry.caption)) + "\u201d";
            body += "</li>";
        }
        body += "</ol>";
    }
    if (stored->accessMode == 0)
        body += "<p><a href=\"avatar:edit:" + std::to_string(number) + "\">Open in the editor</a></p>";
    // The avatar as a code: to paste into the editor or share, without the account's texts.
    if (const AvatarCodeResult code = encodeAvatarCode(a); code.refusal == CodeRefusal::none)
        body += "<p>Avatar code: <a href=\"/c/" + htmlEscape(code.code) + "\"><code id=\"code\">" +
                htmlEscape(code.code) + "</code></a></p>";
    return html(text::utf8FromUtf16(stored->title).empty() ? "Avatar " + std::to_string(number)
                                                           : text::utf8FromUtf16(stored->title),
                body);
}

HttpResponse WebSite::codePage(std::string_view code) {
    const DecodedAvatarCode decoded = codes_.read(code);
    if (decoded.refusal != CodeRefusal::none) return badRequest(describeRefusal(decoded.refusal));
    // Linked by the code as it was read, so that the page and its pictures name one avatar.
    const std::string self = "/c/" + encodeAvatarCode(decoded.avatar).code;
    std::string body;
    if (codes_.pictures().animates(decoded.avatar))
        body += "<p><img src=\"" + htmlEscape(self) + ".apng\" width=\"256\" height=\"192\" alt=\"The avatar\"></p>";
    else if (codes_.pictures().available())
        body += "<p><img src=\"" + htmlEscape(self) + ".png?scale=2\" width=\"256\" height=\"256\" alt=\"The avatar\"></p>";
    body += "<p>Avatar code: <code id=\"code\">" + htmlEscape(self.substr(3)) + "</code></p>";
    body += "<p><a href=\"avatar:code:" + htmlEscape(self.substr(3)) + "\">Open in Likenex</a> &middot; <a href=\"" +
            htmlEscape(self) + ".png?scale=4\">Large picture</a> &middot; <a href=\"/random\">Another at random</a></p>";
    return html("Avatar code", body);
}

HttpResponse WebSite::avatarPicture(std::int64_t number) {
    auto stored = storage_.loadAvatar(number);
    // Restricted avatars show no picture at an address of their own.
    if (!stored || stored->accessMode != 0) return html("Not found", paragraph("There is no such picture."), 404);
    auto pictures = pictures_.picturesOf(storage_, *stored);
    if (!pictures || pictures->still.empty()) return html("Not found", paragraph("There is no such picture."), 404);
    return pictureResponse("image/bmp", pictures->still);
}

HttpResponse WebSite::avatarAnimation(std::int64_t number) {
    auto stored = storage_.loadAvatar(number);
    // Like the still picture, only open avatars have one at an address of their own.
    if (!stored || stored->accessMode != 0) return html("Not found", paragraph("There is no such picture."), 404);
    // An avatar whose script plays nothing is told apart without composing anything.
    if (!pictures_.animates(stored->avatar))
        return html("Not found", paragraph("This avatar has no actions to show."), 404);
    auto pictures = pictures_.picturesOf(storage_, *stored);
    if (!pictures || pictures->animation.empty())
        return html("Not found", paragraph("This avatar has no actions to show."), 404);
    return pictureResponse("image/png", pictures->animation);
}

std::string WebSite::prepareAvatarPictures(std::int64_t number) noexcept {
    try {
        if (auto stored = storage_.loadAvatar(number)) (void)pictures_.picturesOf(storage_, *stored);
        return {};
    } catch (const std::exception& e) {
        return "pictures of avatar " + std::to_string(number) + ": " + e.what();
    } catch (...) {
        return "pictures of avatar " + std::to_string(number) + ": failed";
    }
}

HttpResponse WebSite::download(std::string_view name) {
    if (!isSafeFileName(name)) return html("Not found", paragraph("No such file."), 404);
    fs::path path = fs::path(config_.dataDirectory) / "Download" / std::string(name);
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return html("Not found", paragraph("No such file."), 404);
    // Installers are tens of megabytes: the listener sends the file from disk in pieces.
    HttpResponse r;
    r.contentType = "application/octet-stream";
    r.filePath = path.string();
    return r;
}

HttpResponse WebSite::feed() {
    std::ifstream in(fs::path(config_.dataDirectory) / kNewsFile, std::ios::binary);
    std::ostringstream text;
    if (in) text << in.rdbuf();
    HttpResponse r;
    r.contentType = "application/rss+xml; charset=utf-8";
    r.body = rssFeed(text.str(), config_.publicBase);
    return r;
}

void writeDefaultNews(const std::string& dataDirectory) {
    fs::path path = fs::path(dataDirectory) / kNewsFile;
    if (fs::exists(path)) return;
    std::ofstream out(path, std::ios::binary);
    out << "# date (ISO 8601, UTC, Z)\ttitle\tlink\tcontent (HTML)\n"
        << isoUtc(std::time(nullptr)) << "\tThe Likenex service is open\t/\t"
        << "<p>Store your avatars and open them from their pages.</p>\n";
}

std::string rssFeed(const std::string& newsText, const std::string& publicBase) {
    struct Item {
        std::string date, title, link, content;
    };
    std::vector<Item> items;
    std::istringstream lines(newsText);
    std::string line;
    while (std::getline(lines, line)) {
        line = xmlCharacters(line);
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (int i = 0; i < 3; ++i) {
            std::size_t tab = line.find('\t', start);
            if (tab == std::string::npos) break;
            fields.push_back(line.substr(start, tab - start));
            start = tab + 1;
        }
        if (fields.size() != 3 || !isIsoUtc(fields[0])) continue;
        fields.push_back(line.substr(start));
        std::string link = fields[2].rfind("/", 0) == 0 ? publicBase + fields[2] : fields[2];
        items.push_back({fields[0], fields[1], link, fields[3]});
    }
    // Dates are ISO 8601 in UTC, so comparing the texts orders them by time.
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.date > b.date; });
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<rss version=\"2.0\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
        "xmlns:content=\"http://purl.org/rss/1.0/modules/content/\">\n<channel>\n"
        "<title>Likenex news</title>\n<link>" +
        xmlEscape(publicBase) +
        "/</link>\n"
        "<description>News of the Likenex service</description>\n";
    for (const Item& item : items) {
        xml += "<item>\n<title>" + xmlEscape(plainTitle(item.title)) + "</title>\n<link>" + xmlEscape(item.link) +
               "</link>\n<guid isPermaLink=\"false\">" + xmlEscape(item.date + " " + item.title) +
               "</guid>\n<dc:date>" + xmlEscape(item.date) + "</dc:date>\n<content:encoded>" + cdata(item.content) +
               "</content:encoded>\n</item>\n";
    }
    return xml + "</channel>\n</rss>\n";
}

}  // namespace likenex
