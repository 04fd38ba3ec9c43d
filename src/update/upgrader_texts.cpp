#include "update/upgrader_texts.h"

#include <cstdio>

#include "base/text.h"

namespace tessel::update {
namespace {

const UpgraderTexts kEnglish{
    u"en",
    u"Application update wizard",
    u"A newer version of %s was released.\n%s\nDo you want to update your version with the latest one?",
    u"&Yes",
    u"&Later",
    u"Connection with remote server lost.\r\rPlease restore connection and try to\rupgrade this software again later.",
    u"Remote host is unreachable.\r\rPlease check your Internet connection\rand try to upgrade this software later.",
    u"Information about the update was not found on the server.\r\rPlease try to upgrade this software later.",
    u"Newer version not found. You actually are\rusing most recent version of this program.",
    u"File %s not found or inaccessible.\r\rTry to skip this file and continue upgrade?",
    u"Error",
    u"Downloading %d of %d",
    u"File size: %.1f Kb",
    u"Transfer rate: %.1f Kb/s",
    u"Estimated time left: %d:%.2d:%.2d",
    u"&Abort",
};

const UpgraderTexts kGerman{
    u"de",
    u"Assistent für Programmaktualisierung",
    u"Eine neuere Version von %s ist erschienen.\n%s\nMöchten Sie Ihre Version auf die neueste aktualisieren?",
    u"&Ja",
    u"&Später",
    u"Die Verbindung zum Server wurde unterbrochen.\r\rBitte stellen Sie die Verbindung wieder her und\r"
    u"versuchen Sie die Aktualisierung später erneut.",
    u"Der Server ist nicht erreichbar.\r\rBitte prüfen Sie Ihre Internetverbindung\rund versuchen Sie die "
    u"Aktualisierung später.",
    u"Auf dem Server wurden keine Informationen zur Aktualisierung gefunden.\r\rBitte versuchen Sie es später erneut.",
    u"Keine neuere Version gefunden. Sie verwenden\rbereits die neueste Version dieses Programms.",
    u"Die Datei %s wurde nicht gefunden oder ist nicht erreichbar.\r\rDiese Datei überspringen und die "
    u"Aktualisierung fortsetzen?",
    u"Fehler",
    u"Herunterladen: %d von %d",
    u"Dateigröße: %.1f KB",
    u"Übertragungsrate: %.1f KB/s",
    u"Verbleibende Zeit: %d:%.2d:%.2d",
    u"&Abbrechen",
};

const UpgraderTexts kFrench{
    u"fr",
    u"Assistant de mise à jour",
    u"Une nouvelle version de %s est disponible.\n%s\nVoulez-vous mettre à jour votre version avec la plus récente ?",
    u"&Oui",
    u"&Plus tard",
    u"La connexion avec le serveur a été perdue.\r\rVeuillez rétablir la connexion et réessayer\r"
    u"la mise à jour plus tard.",
    u"Le serveur est inaccessible.\r\rVeuillez vérifier votre connexion Internet\ret réessayer la mise à jour "
    u"plus tard.",
    u"Aucune information de mise à jour n'a été trouvée sur le serveur.\r\rVeuillez réessayer plus tard.",
    u"Aucune nouvelle version trouvée. Vous utilisez\rdéjà la version la plus récente de ce programme.",
    u"Le fichier %s est introuvable ou inaccessible.\r\rIgnorer ce fichier et poursuivre la mise à jour ?",
    u"Erreur",
    u"Téléchargement %d sur %d",
    u"Taille du fichier : %.1f Ko",
    u"Vitesse de transfert : %.1f Ko/s",
    u"Temps restant estimé : %d:%.2d:%.2d",
    u"&Annuler",
};

const UpgraderTexts kSpanish{
    u"es",
    u"Asistente de actualización",
    u"Se ha publicado una nueva versión de %s.\n%s\n¿Desea actualizar su versión a la más reciente?",
    u"&Sí",
    u"&Más tarde",
    u"Se perdió la conexión con el servidor.\r\rRestablezca la conexión e intente\ractualizar este programa más "
    u"tarde.",
    u"No se puede acceder al servidor.\r\rCompruebe su conexión a Internet\re intente actualizar más tarde.",
    u"No se encontró información de actualización en el servidor.\r\rInténtelo de nuevo más tarde.",
    u"No se encontró una versión más reciente. Ya está\rusando la última versión de este programa.",
    u"No se encontró el archivo %s o no se puede acceder a él.\r\r¿Omitir este archivo y continuar la "
    u"actualización?",
    u"Error",
    u"Descargando %d de %d",
    u"Tamaño del archivo: %.1f KB",
    u"Velocidad de transferencia: %.1f KB/s",
    u"Tiempo restante estimado: %d:%.2d:%.2d",
    u"&Cancelar",
};

const UpgraderTexts kItalian{
    u"it",
    u"Procedura di aggiornamento",
    u"È stata rilasciata una nuova versione di %s.\n%s\nVuoi aggiornare la tua versione all'ultima disponibile?",
    u"&Sì",
    u"&Più tardi",
    u"Connessione con il server interrotta.\r\rRipristina la connessione e riprova\rad aggiornare il programma più "
    u"tardi.",
    u"Il server non è raggiungibile.\r\rControlla la connessione a Internet\re riprova ad aggiornare più tardi.",
    u"Nessuna informazione di aggiornamento trovata sul server.\r\rRiprova più tardi.",
    u"Nessuna versione più recente trovata. Stai già\rusando la versione più recente di questo programma.",
    u"Il file %s non è stato trovato o non è accessibile.\r\rSaltare questo file e continuare l'aggiornamento?",
    u"Errore",
    u"Download %d di %d",
    u"Dimensione del file: %.1f KB",
    u"Velocità di trasferimento: %.1f KB/s",
    u"Tempo rimanente stimato: %d:%.2d:%.2d",
    u"&Annulla",
};

const UpgraderTexts kDutch{
    u"nl",
    u"Wizard voor programma-update",
    u"Er is een nieuwe versie van %s uitgebracht.\n%s\nWilt u uw versie bijwerken naar de nieuwste?",
    u"&Ja",
    u"&Later",
    u"De verbinding met de server is verbroken.\r\rHerstel de verbinding en probeer\rdit programma later opnieuw "
    u"bij te werken.",
    u"De server is niet bereikbaar.\r\rControleer uw internetverbinding\ren probeer het later opnieuw.",
    u"Er is geen update-informatie op de server gevonden.\r\rProbeer het later opnieuw.",
    u"Geen nieuwere versie gevonden. U gebruikt\ral de nieuwste versie van dit programma.",
    u"Het bestand %s is niet gevonden of niet toegankelijk.\r\rDit bestand overslaan en de update voortzetten?",
    u"Fout",
    u"Downloaden %d van %d",
    u"Bestandsgrootte: %.1f KB",
    u"Overdrachtssnelheid: %.1f KB/s",
    u"Geschatte resterende tijd: %d:%.2d:%.2d",
    u"&Afbreken",
};

const UpgraderTexts kPortugueseBrazil{
    u"pt-BR",
    u"Assistente de atualização",
    u"Uma nova versão de %s foi lançada.\n%s\nDeseja atualizar sua versão para a mais recente?",
    u"&Sim",
    u"&Mais tarde",
    u"A conexão com o servidor foi perdida.\r\rRestabeleça a conexão e tente\ratualizar este programa mais tarde.",
    u"O servidor está inacessível.\r\rVerifique sua conexão com a Internet\re tente atualizar mais tarde.",
    u"Nenhuma informação de atualização foi encontrada no servidor.\r\rTente novamente mais tarde.",
    u"Nenhuma versão mais recente encontrada. Você já\restá usando a versão mais recente deste programa.",
    u"O arquivo %s não foi encontrado ou está inacessível.\r\rIgnorar este arquivo e continuar a atualização?",
    u"Erro",
    u"Baixando %d de %d",
    u"Tamanho do arquivo: %.1f KB",
    u"Taxa de transferência: %.1f KB/s",
    u"Tempo restante estimado: %d:%.2d:%.2d",
    u"&Cancelar",
};

const UpgraderTexts kPortuguesePortugal{
    u"pt-PT",
    u"Assistente de atualização",
    u"Foi lançada uma nova versão de %s.\n%s\nPretende atualizar a sua versão para a mais recente?",
    u"&Sim",
    u"&Mais tarde",
    u"A ligação ao servidor foi perdida.\r\rReponha a ligação e tente\ratualizar este programa mais tarde.",
    u"O servidor está inacessível.\r\rVerifique a sua ligação à Internet\re tente atualizar mais tarde.",
    u"Não foram encontradas informações de atualização no servidor.\r\rTente novamente mais tarde.",
    u"Não foi encontrada uma versão mais recente. Já está\ra utilizar a versão mais recente deste programa.",
    u"O ficheiro %s não foi encontrado ou está inacessível.\r\rIgnorar este ficheiro e continuar a atualização?",
    u"Erro",
    u"A transferir %d de %d",
    u"Tamanho do ficheiro: %.1f KB",
    u"Velocidade de transferência: %.1f KB/s",
    u"Tempo restante estimado: %d:%.2d:%.2d",
    u"&Cancelar",
};

const UpgraderTexts kChineseSimplified{
    u"zh-CN",
    u"应用程序更新向导",
    u"%s 已发布新版本。\n%s\n是否要将您的版本更新为最新版本？",
    u"是(&Y)",
    u"稍后(&L)",
    u"与远程服务器的连接已断开。\r\r请恢复连接，\r稍后再尝试更新本软件。",
    u"无法访问远程服务器。\r\r请检查您的网络连接，\r稍后再尝试更新。",
    u"服务器上未找到更新信息。\r\r请稍后再试。",
    u"未找到新版本。您正在使用\r本程序的最新版本。",
    u"文件 %s 未找到或无法访问。\r\r是否跳过此文件并继续更新？",
    u"错误",
    u"正在下载 %d / %d",
    u"文件大小：%.1f KB",
    u"传输速率：%.1f KB/s",
    u"预计剩余时间：%d:%.2d:%.2d",
    u"中止(&A)",
};

const UpgraderTexts kChineseTraditional{
    u"zh-TW",
    u"應用程式更新精靈",
    u"%s 已發佈新版本。\n%s\n是否要將您的版本更新為最新版本？",
    u"是(&Y)",
    u"稍後(&L)",
    u"與遠端伺服器的連線已中斷。\r\r請恢復連線，\r稍後再嘗試更新本軟體。",
    u"無法連線到遠端伺服器。\r\r請檢查您的網路連線，\r稍後再嘗試更新。",
    u"伺服器上找不到更新資訊。\r\r請稍後再試。",
    u"找不到新版本。您正在使用\r本程式的最新版本。",
    u"找不到檔案 %s 或無法存取。\r\r是否略過此檔案並繼續更新？",
    u"錯誤",
    u"正在下載 %d / %d",
    u"檔案大小：%.1f KB",
    u"傳輸速率：%.1f KB/s",
    u"預估剩餘時間：%d:%.2d:%.2d",
    u"中止(&A)",
};

// Windows primary language identifiers.
constexpr uint16_t kLangChinese = 0x04, kLangGerman = 0x07, kLangSpanish = 0x0A, kLangFrench = 0x0C,
                   kLangItalian = 0x10, kLangDutch = 0x13, kLangPortuguese = 0x16;

}  // namespace

const UpgraderTexts& TextsForLanguage(uint16_t languageId) {
    const uint16_t primary = languageId & 0x3FF;
    const uint16_t sub = languageId >> 10;
    switch (primary) {
    case kLangGerman: return kGerman;
    case kLangFrench: return kFrench;
    case kLangSpanish: return kSpanish;
    case kLangItalian: return kItalian;
    case kLangDutch: return kDutch;
    // Sub-language 1 is Brazil, 2 Portugal.
    case kLangPortuguese: return sub == 2 ? kPortuguesePortugal : kPortugueseBrazil;
    // Taiwan (1), Hong Kong (3) and Macao (5) write traditional characters; PRC (2) and Singapore
    // (4) simplified ones.
    case kLangChinese: return sub == 1 || sub == 3 || sub == 5 ? kChineseTraditional : kChineseSimplified;
    default: return kEnglish;
    }
}

std::u16string FormatText(std::u16string_view pattern, const std::vector<TextArg>& args) {
    std::u16string out;
    size_t next = 0;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != u'%' || i + 1 == pattern.size()) {
            out += pattern[i];
            continue;
        }
        if (pattern[i + 1] == u'%') {
            out += u'%';
            ++i;
            continue;
        }
        size_t j = i + 1;
        int precision = -1;
        if (pattern[j] == u'.') {
            precision = 0;
            for (++j; j < pattern.size() && pattern[j] >= u'0' && pattern[j] <= u'9' && precision < 100; ++j)
                precision = precision * 10 + (pattern[j] - u'0');
        }
        if (j == pattern.size()) break;
        const char16_t kind = pattern[j];
        const TextArg* arg = next < args.size() ? &args[next++] : nullptr;
        char number[128] = "";
        if (kind == u's' && arg && std::holds_alternative<std::u16string>(*arg)) {
            out += std::get<std::u16string>(*arg);
        } else if (kind == u'd' && arg && std::holds_alternative<long long>(*arg)) {
            std::snprintf(number, sizeof number, "%.*lld", precision < 0 ? 1 : precision, std::get<long long>(*arg));
        } else if (kind == u'f' && arg && std::holds_alternative<double>(*arg)) {
            std::snprintf(number, sizeof number, "%.*f", precision < 0 ? 6 : precision, std::get<double>(*arg));
        }
        out += Widen(number);
        i = j;
    }
    return out;
}

std::u16string AskUpgradeText(const UpgraderTexts& texts, const std::u16string& title, const std::u16string& message) {
    return FormatText(texts.AskUpgrade, {title, message});
}

std::u16string FileErrorCaption(const UpgraderTexts& texts, unsigned long code) {
    return std::u16string(texts.ErrorTitle) + u" #" + Widen(std::to_string(code));
}

}  // namespace tessel::update
