#include "service/FormFields.h"

#include "run/TranslationRequest.h"

#include <gtest/gtest.h>

using service::DecodeForm;
using service::FormFields;

namespace {

std::optional<FormFields> Decode(const std::string& body)
{
    std::string error;
    auto fields = DecodeForm(body, error);
    EXPECT_EQ(fields.has_value(), error.empty()) << error;
    return fields;
}

} // namespace

TEST(FormFields, DecodesTheProgramsBodyWhole)
{
    const std::string text = "a & b = c + 100% \"q\"\r\nline two \xC3\xA9";
    const auto fields = Decode(RequestBody("en", "zh-CN", text));
    ASSERT_TRUE(fields);
    EXPECT_EQ(fields->at("sl"), "en");
    EXPECT_EQ(fields->at("tl"), "zh-CN");
    EXPECT_EQ(fields->at("submit"), "Translate");
    EXPECT_EQ(fields->at("text"), text);
}

TEST(FormFields, PlusIsASpaceAndEscapesTakeEitherCase)
{
    const auto fields = Decode("text=a+b%2bc%2Fd%e9");
    ASSERT_TRUE(fields);
    EXPECT_EQ(fields->at("text"), "a b+c/d\xE9");
}

TEST(FormFields, EmptyPairsAndMissingValuesAreAccepted)
{
    const auto fields = Decode("&&sl=en&&flag&tl=");
    ASSERT_TRUE(fields);
    EXPECT_EQ(fields->at("flag"), "");
    EXPECT_EQ(fields->at("tl"), "");
    EXPECT_EQ(fields->size(), 3u);
    EXPECT_TRUE(Decode("")->empty());
}

TEST(FormFields, BrokenEscapesAreRefused)
{
    for (const std::string body : { "text=%", "text=%4", "text=%G1", "te%zzxt=1", "text=ab%" })
        EXPECT_FALSE(Decode(body)) << body;
}

TEST(FormFields, ARepeatedNameIsRefused)
{
    std::string error;
    EXPECT_FALSE(DecodeForm("text=a&sl=en&text=b", error));
    EXPECT_NE(error.find("text"), std::string::npos);
}

// Media types are case-insensitive; a type that merely starts like the form's
// is another type.
TEST(FormFields, TheFormTypeIsKnownInAnyCaseAndWithParameters)
{
    struct Case {
        const char* contentType;
        bool form;
    };
    for (const Case& c : std::initializer_list<Case> {
             { "", true },
             { "application/x-www-form-urlencoded", true },
             { "Application/X-WWW-Form-Urlencoded", true },
             { "application/x-www-form-urlencoded ; charset=UTF-8", true },
             { "application/x-www-form-urlencodedXYZ", false },
             { "text/plain", false },
             { "multipart/form-data; boundary=x", false },
         })
        EXPECT_EQ(service::IsFormType(c.contentType), c.form) << c.contentType;
}
