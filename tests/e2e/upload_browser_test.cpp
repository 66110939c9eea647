// A visitor's files through a real browser: Debian's Chromium chooses a PDF
// and a JPEG in the user's own form and posts them to the saved script, once
// under php -S with the mail through the SMTP server, once under Apache with
// PHP-FPM with the mail through mail(). The files arrive as attachments byte
// for byte, the record names them, and the owner downloads them identical.
#include "serverfixture.h"

#include <functional>
#include <map>
#include <random>
#include <set>

namespace {

namespace fs = std::filesystem;

const std::string kOwnerPassword = "correct horse battery";

// Content of `size` random bytes after a type's own opening, as fileinfo
// reads them.
std::string Random(const std::string& opening, std::size_t size, const std::string& ending)
{
    std::mt19937 random(static_cast<unsigned>(size));
    std::string bytes = opening;
    while (bytes.size() + ending.size() < size)
        bytes.push_back(static_cast<char>(random()));
    return bytes + ending;
}

class BrowserUploads : public ServerFixture {
protected:
    void SetUp() override
    {
        ServerFixture::SetUp();
        smtp_ = e2e::ReadState(ZESTREL_SMTP_STATE_FILE);
        ASSERT_FALSE(smtp_["MAIL_DIR"].empty()) << "no SMTP server recorded; run the tests through ctest";
        Query("USE " + Database() +
            "; DROP TABLE IF EXISTS applications; CREATE TABLE applications (id INT AUTO_INCREMENT PRIMARY KEY, "
            "received TIMESTAMP DEFAULT CURRENT_TIMESTAMP, name VARCHAR(225), cv TEXT, photo TEXT) DEFAULT "
            "CHARSET=utf8mb4");
        // Apache's children may run as another user, who must reach the site.
        fs::create_directory(site_);
        for (const fs::path& folder : {dir_.path(), site_})
            fs::permissions(folder,
                fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                    fs::perms::others_exec);
        e2e::WriteFile(site_ / "form.html",
            "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Apply</title></head><body>\n"
            "<form method=\"post\" action=\"apply.php\" enctype=\"multipart/form-data\">\n"
            "<label>Name <input name=\"name\" required></label>\n"
            "<label>CV <input type=\"file\" name=\"cv\" accept=\".pdf\" required></label>\n"
            "<label>Photo <input type=\"file\" name=\"photo\" accept=\"image/*\"></label>\n"
            "<button>Send</button></form></body></html>\n");
        e2e::WriteFile(site_ / "thanks.html", "<!DOCTYPE html><title>Thanks</title><p>Thank you.</p>\n");
        e2e::WriteFile(File("cv.pdf"), pdf_);
        e2e::WriteFile(File("Foto M\xc3\xbcller.jpg"), jpeg_);
    }

    // The browser posts from loopback, as other tests do: a database of its
    // own keeps its flood counts apart.
    std::string Database() const { return server_.database + "_browser"; }

    // The job application form: stored, mailed with its files, and listed
    // for the owner.
    scriptgen::ScriptSettings Settings(bool smtp)
    {
        scriptgen::ScriptSettings s = Connected(scriptgen::Target::Safe);
        s.database = Database();
        s.ownerPassword = kOwnerPassword;
        s.fieldList = {"name", "cv", "photo"};
        scriptgen::FieldRule cv;
        cv.field = "cv";
        cv.label = "CV";
        cv.type = "file";
        cv.required = true;
        cv.accept = ".pdf";
        scriptgen::FieldRule photo = cv;
        photo.field = "photo";
        photo.label = "Photo";
        photo.required = false;
        photo.accept = "image/*";
        s.fieldRules = {cv, photo};
        s.uploadFolder = File("kept").string();
        s.insertRecord = true;
        s.insertTable = s.displayAllTable = "applications";
        s.insertFields = s.displayAllFields = {"name", "cv", "photo"};
        s.insertValues = {"$name", "$cv", "$photo"};
        s.displayAll = true;
        s.sendMail = true;
        s.recipient = "jobs@shop.test";
        s.subject = "Application";
        s.mailVariables = {{"$name", true}, {"$cv", true}, {"$photo", true}};
        s.successPage = "thanks.html";
        s.failurePage = "sorry.html";
        if (smtp) {
            s.mailFrom = "website@shop.test";
            s.smtp = scriptgen::SmtpServer{"localhost", std::stoi(smtp_["STARTTLS_PORT"]),
                scriptgen::SmtpServer::Security::StartTls, smtp_["USER"], smtp_["PASSWORD"]};
        }
        e2e::WriteScript(site_ / "apply.php", scriptgen::CompileScript(s));
        return s;
    }

    // Chromium fills in the form at the port, chooses both files and sends
    // it; then the record, the mail and the owner's downloads are checked.
    void SendAndCheck(int port, const std::function<std::string()>& mailSent)
    {
        const std::string form = "http://127.0.0.1:" + std::to_string(port) + "/form.html";
        const e2e::ProcessResult sent =
            e2e::Run({"/usr/bin/python3", ZESTREL_UPLOAD, "--chromium", ZESTREL_CHROMIUM, form,
                         R"({"name": "Ann", "cv": [")" + File("cv.pdf").string() + R"("], "photo": [")" +
                             File("Foto M\xc3\xbcller.jpg").string() + R"("]})"},
                {e2e::PathEntry(), "HOME=" + dir_.path().string()});
        ASSERT_EQ(sent.exitCode, 0) << sent.err;
        EXPECT_NE(sent.out.find("/thanks.html\""), std::string::npos) << sent.out << sent.err;

        // The mail carries both files, byte for byte, under their own names.
        const std::string mail = e2e::Run({ZESTREL_PHP, ZESTREL_READ_MAIL}, {e2e::PathEntry()}, mailSent()).out;
        EXPECT_NE(mail.find("Attachment: cv.pdf application/pdf " + e2e::Hex(pdf_) + "\n"), std::string::npos);
        EXPECT_NE(
            mail.find("Attachment: Foto M\xc3\xbcller.jpg image/jpeg " + e2e::Hex(jpeg_) + "\n"), std::string::npos);

        // The record names them; the owner downloads each, and only the owner.
        const e2e::Table rows = Query("SELECT cv, photo FROM " + Database() + ".applications");
        ASSERT_EQ(rows.size(), 1U);
        const std::string owner = "Authorization: Basic " + e2e::Base64("owner:" + kOwnerPassword);
        const std::string host = "Host: 127.0.0.1:" + std::to_string(port);
        const e2e::HttpResponse records = e2e::Http(port, "GET", "/apply.php", {host, owner});
        for (const auto& [cell, content] : {std::pair{rows[0][0], pdf_}, std::pair{rows[0][1], jpeg_}}) {
            const std::size_t kept = cell.find("kept as ");
            ASSERT_NE(kept, std::string::npos) << cell;
            const std::string path = "/apply.php?file=" + cell.substr(kept + 8, 32) + "&name=x";
            EXPECT_NE(records.body.find("?file=" + cell.substr(kept + 8, 32)), std::string::npos) << records.body;
            const e2e::HttpResponse download = e2e::Http(port, "GET", path, {host, owner});
            EXPECT_EQ(download.body, content);
            EXPECT_EQ(download.headers.at("X-Content-Type-Options"), "nosniff");
            EXPECT_EQ(download.headers.at("Content-Security-Policy"), "sandbox");
            EXPECT_TRUE(download.headers.at("Content-Disposition").starts_with("attachment; ")) << path;
            EXPECT_EQ(e2e::Http(port, "GET", path, {host}).status, 401);
        }
        EXPECT_EQ(e2e::Http(port, "GET", "/apply.php?file=../../../etc/passwd&name=x", {host, owner}).status, 404);
        // The self-check finds the upload folder sound, outside the site.
        const e2e::HttpResponse check = e2e::Http(port, "GET", "/apply.php?check", {host, owner});
        EXPECT_EQ(check.status, 200);
        EXPECT_EQ(check.body.find("<strong>Problem</strong>"), std::string::npos) << check.body;
    }

    const std::string pdf_ = Random("%PDF-1.4\n%\xe2\xe3\xcf\xd3\n", 200000, "\n%%EOF\n");
    const std::string jpeg_ = Random(
        std::string("\xff\xd8\xff\xe0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 20), 300000, "\xff\xd9");
    const fs::path site_ = dir_.path() / "site";
    std::map<std::string, std::string> smtp_;
};

TEST_F(BrowserUploads, ThroughPhpServerAndTheMailServer)
{
    Settings(true);
    const fs::path mails = smtp_["MAIL_DIR"];
    std::set<fs::path> before;
    for (const auto& file : fs::directory_iterator(mails))
        before.insert(file.path());
    const e2e::PhpServer server(
        ZESTREL_PHP, "127.0.0.1", site_, {"openssl.cafile=" + smtp_["CA"], "sys_temp_dir=" + dir_.path().string()});
    ASSERT_NE(server.port(), 0);
    SendAndCheck(server.port(), [&] {
        for (const auto& file : fs::directory_iterator(mails))
            if (file.path().extension() == ".eml" && !before.count(file.path()))
                return e2e::ReadFile(file.path());
        return std::string();
    });
}

TEST_F(BrowserUploads, ThroughApacheWithFpmAndMail)
{
    if (!e2e::ApacheFpm::Installed())
        GTEST_SKIP() << "apache2 and php-fpm are not installed (./tools/test installs them)";
    Settings(false);
    const fs::path mail = File("apache.eml");
    const e2e::ApacheFpm apache(
        site_, {"sendmail_path=\"/bin/cat > " + mail.string() + "\"", "sys_temp_dir=" + dir_.path().string()});
    ASSERT_NE(apache.port(), 0) << apache.why();
    SendAndCheck(apache.port(), [&] { return fs::exists(mail) ? e2e::ReadFile(mail) : std::string(); });
    EXPECT_FALSE(HasFailure()) << apache.why();
}

} // namespace
