// Files posted to a safe script through php-cgi, hostile and at the edges of
// their rules: the page the visitor gets, that a refused post kept and mailed
// nothing, and that what was kept is the file sent, under a name nobody chose.
#include "support.h"

#include "scriptgen/compiler.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::string kPdf = "%PDF-1.4\n1 0 obj<<>>endobj\ntrailer<<>>\n%%EOF\n";
// A GIF of one pixel, filled up to `size` bytes after its end.
std::string Gif(std::size_t size = 43)
{
    std::string gif(
        "GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff!\xf9\x04\x01\x00\x00\x00\x00,\x00\x00\x00"
        "\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
        43);
    gif.resize(std::max(size, gif.size()), '\0');
    return gif;
}

e2e::Part Cv(const std::string& content = kPdf, const std::string& name = "cv.pdf")
{
    return {"cv", content, name, "application/pdf"};
}

e2e::Part Photo(const std::string& content, const std::string& name = "photo.gif")
{
    return {"photos[]", content, name, "image/gif"};
}

class UploadsTest : public testing::Test {
protected:
    struct Result {
        int status = 0;
        std::string body;
        std::string mail;
        std::vector<std::string> kept; // the contents of the files kept
    };

    // Compiles the script for a CV (required, .pdf) and up to two photos of
    // at most 999 bytes, and posts the parts with a name.
    Result Post(std::vector<e2e::Part> parts, const std::vector<std::string>& ini = {})
    {
        scriptgen::ScriptSettings s;
        s.target = scriptgen::Target::Safe;
        s.fieldList = {"name", "cv", "photos[]"};
        scriptgen::FieldRule cv;
        cv.field = "cv";
        cv.label = "CV";
        cv.required = true;
        cv.type = "file";
        cv.accept = ".pdf";
        scriptgen::FieldRule photos;
        photos.field = "photos[]";
        photos.label = "Photos";
        photos.type = "file";
        photos.multiple = true;
        photos.accept = "image/*";
        photos.maxBytes = "999";
        photos.maxFiles = "2";
        s.fieldRules = {cv, photos};
        s.uploadFolder = (dir_.path() / "kept").string();
        s.sendMail = true;
        s.recipient = "owner@shop.test";
        s.subject = "Application";
        s.mailVariables = {{"$name", true}, {"$cv", true}, {"$photos[]", true}};
        s.successPage = "thanks.html";
        s.failurePage = "sorry.html";
        const fs::path script = dir_.path() / "www" / "apply.php";
        fs::create_directories(script.parent_path());
        e2e::WriteScript(script, scriptgen::CompileScript(s));
        const fs::path mail = dir_.path() / "mail.txt";
        fs::remove(mail);
        fs::remove_all(s.uploadFolder);

        parts.insert(parts.begin(), {"name", "Ann"});
        e2e::CgiRequest request;
        request.body = e2e::EncodeMultipart(parts);
        request.contentType = std::string("multipart/form-data; boundary=") + e2e::kBoundary;
        request.env = {"HTTP_HOST=shop.test", "HTTP_SEC_FETCH_SITE=same-origin",
            "DOCUMENT_ROOT=" + (dir_.path() / "www").string(), "REMOTE_ADDR=10.8.0." + std::to_string(++count_)};
        request.ini = {"sendmail_path=\"cat > '" + mail.string() + "'\"", "sys_temp_dir=" + dir_.path().string(),
            "upload_tmp_dir=" + dir_.path().string()};
        request.ini.insert(request.ini.end(), ini.begin(), ini.end());
        const e2e::CgiResponse run = e2e::RunCgi(ZESTREL_PHP_CGI, script, request);
        Result result;
        const std::size_t status = run.headers.find("Status: ");
        result.status = status == std::string::npos ? 200 : std::stoi(run.headers.substr(status + 8, 3));
        result.body = run.body;
        // PHP has nothing to say of the script, whatever came: only of a
        // post beyond its own limits.
        std::string said = run.errors;
        for (const char* limit : {"PHP Warning:  Maximum number of allowable file uploads",
                 "PHP Warning:  POST Content-Length", "PHP Warning:  File upload error"})
            if (const std::size_t at = said.find(limit); at != std::string::npos)
                said.erase(at, said.find('\n', at) - at);
        EXPECT_EQ(("\n" + said).find("\nPHP "), std::string::npos) << run.errors;
        if (fs::exists(mail))
            result.mail = e2e::Run({ZESTREL_PHP, ZESTREL_READ_MAIL}, {e2e::PathEntry()}, e2e::ReadFile(mail)).out;
        if (fs::exists(s.uploadFolder))
            for (const auto& entry : fs::directory_iterator(s.uploadFolder)) {
                // Kept under 32 hexadecimal digits, never readable by others.
                EXPECT_EQ(entry.path().filename().string().find_first_not_of("0123456789abcdef"), std::string::npos);
                EXPECT_EQ(entry.path().filename().string().size(), 32u);
                EXPECT_EQ(fs::status(entry).permissions() & fs::perms::others_all, fs::perms::none);
                result.kept.push_back(e2e::ReadFile(entry.path()));
            }
        return result;
    }

private:
    e2e::TempDir dir_;
    int count_ = 0;
};

TEST_F(UploadsTest, EachPostIsKeptWholeOrNotAtAll)
{
    const std::string php = "<?php system($_GET['c']); ?>";
    const struct {
        const char* name;
        std::vector<e2e::Part> parts;
        int status;
        std::size_t kept; // files kept, and mailed when the post went through
        std::vector<std::string> ini = {};
        std::string named = {}; // how the mail names the file, cleaned
    } cases[] = {
        {"a PDF and a GIF", {Cv(), Photo(Gif())}, 303, 2},
        {"a GIF whose content also holds PHP is only ever data", {Cv(), Photo(Gif() + php)}, 303, 2},
        {"a PHP script named photo.jpg", {Cv(), Photo(php, "photo.jpg")}, 422, 0},
        {"a path, a control character and a right-to-left override in the name",
            {Cv(kPdf,
                "../../in\xe2\x80\xaevoice\x01"
                "fdp.pdf")},
            303, 1, {}, "CV: invoicefdp.pdf ("},
        {"a UTF-8 name", {Cv(kPdf, "Lebenslauf M\xc3\xbcller \xe2\x9c\x93.pdf")}, 303, 1, {},
            "CV: Lebenslauf M\xc3\xbcller \xe2\x9c\x93.pdf ("},
        {"0 bytes", {Cv(""), Photo(Gif())}, 422, 0},
        {"exactly the most bytes", {Cv(), Photo(Gif(999))}, 303, 2},
        {"one byte over", {Cv(), Photo(Gif(1000))}, 422, 0},
        {"the most files", {Cv(), Photo(Gif()), Photo(Gif())}, 303, 3},
        {"one file more than allowed", {Cv(), Photo(Gif()), Photo(Gif()), Photo(Gif())}, 422, 0},
        {"a required file missing", {{"cv", "", "", "application/octet-stream"}}, 422, 0},
        {"a file field sent as text", {{"cv", "cv.pdf"}}, 422, 0},
        {"more files than max_file_uploads", {Cv(), Photo(Gif(999)), Photo(Gif(999))}, 422, 0, {"max_file_uploads=2"}},
        {"100 files", std::vector<e2e::Part>(100, Photo(Gif(999))), 422, 0},
        {"a post over post_max_size", {Cv(), Photo(Gif(999))}, 413, 0, {"post_max_size=1K"}},
        {"a file over upload_max_filesize", {Cv(kPdf + std::string(2000, ' '))}, 422, 0, {"upload_max_filesize=1K"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Result result = Post(c.parts, c.ini);
        EXPECT_EQ(result.status, c.status) << result.body;
        ASSERT_EQ(result.kept.size(), c.kept);
        EXPECT_EQ(result.mail.empty(), c.kept == 0);
        // The mail names each file kept by the name it is kept under.
        std::size_t listed = 0;
        for (std::size_t at = 0; (at = result.mail.find(", kept as ", at)) != std::string::npos; ++at)
            ++listed;
        EXPECT_EQ(listed, c.kept) << result.mail;
        EXPECT_NE(result.mail.find(c.named), std::string::npos) << result.mail;
        // What was kept, and what the mail carries, is what was sent, byte
        // for byte.
        for (const std::string& kept : result.kept) {
            EXPECT_TRUE(std::any_of(c.parts.begin(), c.parts.end(),
                [&kept](const e2e::Part& part) { return part.fileName && part.content == kept; }));
            EXPECT_NE(result.mail.find(" " + e2e::Hex(kept) + "\n"), std::string::npos);
        }
    }
}

} // namespace
