#include "CliSupport.h"

#include "util/Errors.h"
#include "util/FileAccess.h"

using namespace Qt::Literals::StringLiterals;

void Print(FILE* aStream, const QString& aText)
{
    const QByteArray bytes = aText.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), aStream);
    std::fflush(aStream);
}

[[noreturn]] void Fail(const QString& aFileName, const QString& aReason)
{
    throw TFailure{aFileName, aReason};
}

[[noreturn]] void UsageError(const QString& aReason)
{
    throw TUsageError{aReason};
}

QString OneLine(QString aText)
{
    aText.replace(u"\r\n"_s, u" "_s);
    aText.replace(u'\r', u' ');
    aText.replace(u'\n', u' ');
    return aText.trimmed();
}

TCliPasswords& Passwords()
{
    static TCliPasswords passwords;
    return passwords;
}

TOpenedDiary LoadDiaryWithKey(const QString& aFileName)
{
    if (!FileExists(aFileName))
        Fail(aFileName, DoesNotExistText(aFileName));
    try {
        return ReadDiaryFileWithPassword(aFileName, Passwords().Prompt());
    } catch (const EPasswordCancelled&) {
        Fail(aFileName, u"No password was given for "_s + aFileName + u"."_s);
    } catch (const EWrongPassword& e) {
        Fail(aFileName, e.Message());
    } catch (const EKestrovaError& e) {
        Fail(aFileName, u"File "_s + aFileName + u" can not be opened! "_s + e.Message());
    } catch (const std::exception& e) {
        // A length field far beyond the memory at hand, for instance.
        Fail(aFileName, u"File "_s + aFileName + u" can not be opened! "_s + QString::fromLocal8Bit(e.what()));
    }
}

std::unique_ptr<TDiary> LoadDiary(const QString& aFileName)
{
    return LoadDiaryWithKey(aFileName).Diary;
}
