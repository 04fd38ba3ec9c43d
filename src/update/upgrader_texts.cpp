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

const UpgraderTexts kRussian{
    u"ru",
    u"Мастер обновления программы",
    u"Вышла новая версия %s.\n%s\nХотите обновить вашу версию до последней?",
    u"&Да",
    u"&Позже",
    u"Соединение с сервером потеряно.\r\rВосстановите соединение и попробуйте\rобновить программу позже.",
    u"Сервер недоступен.\r\rПроверьте подключение к Интернету\rи попробуйте обновить программу позже.",
    u"Сведения об обновлении не найдены на сервере.\r\rПопробуйте обновить программу позже.",
    u"Более новая версия не найдена. Вы уже\rиспользуете последнюю версию этой программы.",
    u"Файл %s не найден или недоступен.\r\rПропустить этот файл и продолжить обновление?",
    u"Ошибка",
    u"Загрузка %d из %d",
    u"Размер файла: %.1f КБ",
    u"Скорость передачи: %.1f КБ/с",
    u"Осталось примерно: %d:%.2d:%.2d",
    u"&Прервать",
};

const UpgraderTexts kUkrainian{
    u"uk",
    u"Майстер оновлення програми",
    u"Вийшла нова версія %s.\n%s\nБажаєте оновити вашу версію до найновішої?",
    u"&Так",
    u"&Пізніше",
    u"З’єднання з сервером втрачено.\r\rВідновіть з’єднання та спробуйте\rоновити програму пізніше.",
    u"Сервер недоступний.\r\rПеревірте підключення до Інтернету\rта спробуйте оновити програму пізніше.",
    u"Відомості про оновлення не знайдено на сервері.\r\rСпробуйте оновити програму пізніше.",
    u"Новішої версії не знайдено. Ви вже\rвикористовуєте найновішу версію цієї програми.",
    u"Файл %s не знайдено або він недоступний.\r\rПропустити цей файл і продовжити оновлення?",
    u"Помилка",
    u"Завантаження %d з %d",
    u"Розмір файлу: %.1f КБ",
    u"Швидкість передавання: %.1f КБ/с",
    u"Залишилося приблизно: %d:%.2d:%.2d",
    u"&Перервати",
};

const UpgraderTexts kPolish{
    u"pl",
    u"Kreator aktualizacji programu",
    u"Została wydana nowsza wersja programu %s.\n%s\nCzy chcesz zaktualizować swoją wersję do najnowszej?",
    u"&Tak",
    u"&Później",
    u"Utracono połączenie z serwerem.\r\rPrzywróć połączenie i spróbuj\rzaktualizować program później.",
    u"Serwer jest nieosiągalny.\r\rSprawdź połączenie z Internetem\ri spróbuj zaktualizować program później.",
    u"Na serwerze nie znaleziono informacji o aktualizacji.\r\rSpróbuj zaktualizować program później.",
    u"Nie znaleziono nowszej wersji. Używasz już\rnajnowszej wersji tego programu.",
    u"Nie znaleziono pliku %s lub jest on niedostępny.\r\rPominąć ten plik i kontynuować aktualizację?",
    u"Błąd",
    u"Pobieranie %d z %d",
    u"Rozmiar pliku: %.1f KB",
    u"Szybkość transferu: %.1f KB/s",
    u"Szacowany pozostały czas: %d:%.2d:%.2d",
    u"&Przerwij",
};

const UpgraderTexts kCzech{
    u"cs",
    u"Průvodce aktualizací programu",
    u"Byla vydána novější verze programu %s.\n%s\nChcete svou verzi aktualizovat na nejnovější?",
    u"&Ano",
    u"&Později",
    u"Spojení se serverem bylo přerušeno.\r\rObnovte prosím spojení a zkuste\rprogram aktualizovat později.",
    u"Server není dostupný.\r\rZkontrolujte prosím připojení k internetu\ra zkuste program aktualizovat později.",
    u"Informace o aktualizaci nebyly na serveru nalezeny.\r\rZkuste prosím program aktualizovat později.",
    u"Novější verze nebyla nalezena. Již používáte\rnejnovější verzi tohoto programu.",
    u"Soubor %s nebyl nalezen nebo není přístupný.\r\rPřeskočit tento soubor a pokračovat v aktualizaci?",
    u"Chyba",
    u"Stahování %d z %d",
    u"Velikost souboru: %.1f kB",
    u"Přenosová rychlost: %.1f kB/s",
    u"Odhadovaný zbývající čas: %d:%.2d:%.2d",
    u"&Přerušit",
};

const UpgraderTexts kSlovak{
    u"sk",
    u"Sprievodca aktualizáciou programu",
    u"Bola vydaná novšia verzia programu %s.\n%s\nChcete aktualizovať svoju verziu na najnovšiu?",
    u"&Áno",
    u"&Neskôr",
    u"Spojenie so serverom sa prerušilo.\r\rObnovte spojenie a skúste\rprogram aktualizovať neskôr.",
    u"Server nie je dostupný.\r\rSkontrolujte pripojenie na internet\ra skúste program aktualizovať neskôr.",
    u"Na serveri sa nenašli informácie o aktualizácii.\r\rSkúste program aktualizovať neskôr.",
    u"Novšia verzia sa nenašla. Už používate\rnajnovšiu verziu tohto programu.",
    u"Súbor %s sa nenašiel alebo nie je prístupný.\r\rPreskočiť tento súbor a pokračovať v aktualizácii?",
    u"Chyba",
    u"Sťahovanie %d z %d",
    u"Veľkosť súboru: %.1f kB",
    u"Prenosová rýchlosť: %.1f kB/s",
    u"Odhadovaný zostávajúci čas: %d:%.2d:%.2d",
    u"&Prerušiť",
};

const UpgraderTexts kHungarian{
    u"hu",
    u"Programfrissítő varázsló",
    u"Megjelent a(z) %s újabb verziója.\n%s\nSzeretné frissíteni a programot a legújabb verzióra?",
    u"&Igen",
    u"&Később",
    u"Megszakadt a kapcsolat a kiszolgálóval.\r\rÁllítsa helyre a kapcsolatot, és próbálja meg\rkésőbb "
    u"újra a frissítést.",
    u"A kiszolgáló nem érhető el.\r\rEllenőrizze az internetkapcsolatot,\rés próbálja meg később a frissítést.",
    u"A kiszolgálón nem található információ a frissítésről.\r\rPróbálja meg később a frissítést.",
    u"Nem található újabb verzió. Már a program\rlegújabb verzióját használja.",
    u"A(z) %s fájl nem található vagy nem érhető el.\r\rKihagyja ezt a fájlt, és folytatja a frissítést?",
    u"Hiba",
    u"Letöltés: %d / %d",
    u"Fájlméret: %.1f KB",
    u"Átviteli sebesség: %.1f KB/s",
    u"Becsült hátralévő idő: %d:%.2d:%.2d",
    u"&Megszakítás",
};

const UpgraderTexts kRomanian{
    u"ro",
    u"Asistent de actualizare a aplicației",
    u"A fost lansată o versiune nouă a programului %s.\n%s\nDoriți să actualizați versiunea dumneavoastră la cea "
    u"mai recentă?",
    u"&Da",
    u"Mai &târziu",
    u"Conexiunea cu serverul s-a pierdut.\r\rRestabiliți conexiunea și încercați\rsă actualizați programul mai "
    u"târziu.",
    u"Serverul nu poate fi accesat.\r\rVerificați conexiunea la internet\rși încercați să actualizați programul "
    u"mai târziu.",
    u"Pe server nu s-au găsit informații despre actualizare.\r\rÎncercați să actualizați programul mai târziu.",
    u"Nu s-a găsit o versiune mai nouă. Folosiți deja\rcea mai recentă versiune a acestui program.",
    u"Fișierul %s nu a fost găsit sau nu este accesibil.\r\rOmiteți acest fișier și continuați actualizarea?",
    u"Eroare",
    u"Se descarcă %d din %d",
    u"Dimensiunea fișierului: %.1f KB",
    u"Viteza de transfer: %.1f KB/s",
    u"Timp rămas estimat: %d:%.2d:%.2d",
    u"&Anulare",
};

const UpgraderTexts kSwedish{
    u"sv",
    u"Guide för programuppdatering",
    u"En nyare version av %s har släppts.\n%s\nVill du uppdatera din version till den senaste?",
    u"&Ja",
    u"&Senare",
    u"Anslutningen till servern bröts.\r\rÅterställ anslutningen och försök\ruppdatera programmet igen senare.",
    u"Servern kan inte nås.\r\rKontrollera din internetanslutning\roch försök uppdatera programmet senare.",
    u"Ingen information om uppdateringen hittades på servern.\r\rFörsök uppdatera programmet senare.",
    u"Ingen nyare version hittades. Du använder\rredan den senaste versionen av programmet.",
    u"Filen %s hittades inte eller är inte tillgänglig.\r\rVill du hoppa över filen och fortsätta uppdateringen?",
    u"Fel",
    u"Hämtar %d av %d",
    u"Filstorlek: %.1f kB",
    u"Överföringshastighet: %.1f kB/s",
    u"Beräknad återstående tid: %d:%.2d:%.2d",
    u"&Avbryt",
};

const UpgraderTexts kDanish{
    u"da",
    u"Guide til programopdatering",
    u"Der er udgivet en nyere version af %s.\n%s\nVil du opdatere din version til den nyeste?",
    u"&Ja",
    u"&Senere",
    u"Forbindelsen til serveren blev afbrudt.\r\rGenopret forbindelsen, og prøv at\ropdatere programmet igen "
    u"senere.",
    u"Serveren kan ikke nås.\r\rKontrollér din internetforbindelse,\rog prøv at opdatere programmet senere.",
    u"Der blev ikke fundet oplysninger om opdateringen på serveren.\r\rPrøv at opdatere programmet senere.",
    u"Der blev ikke fundet en nyere version. Du bruger\rallerede den nyeste version af programmet.",
    u"Filen %s blev ikke fundet eller er ikke tilgængelig.\r\rVil du springe filen over og fortsætte "
    u"opdateringen?",
    u"Fejl",
    u"Henter %d af %d",
    u"Filstørrelse: %.1f KB",
    u"Overførselshastighed: %.1f KB/s",
    u"Anslået resterende tid: %d:%.2d:%.2d",
    u"&Afbryd",
};

// Bokmål; Nynorsk readers get it too.
const UpgraderTexts kNorwegian{
    u"no",
    u"Veiviser for programoppdatering",
    u"En nyere versjon av %s er utgitt.\n%s\nVil du oppdatere versjonen din til den nyeste?",
    u"&Ja",
    u"&Senere",
    u"Forbindelsen med serveren ble brutt.\r\rGjenopprett forbindelsen og prøv å\roppdatere programmet igjen "
    u"senere.",
    u"Serveren kan ikke nås.\r\rKontroller internettforbindelsen\rog prøv å oppdatere programmet senere.",
    u"Fant ingen informasjon om oppdateringen på serveren.\r\rPrøv å oppdatere programmet senere.",
    u"Fant ingen nyere versjon. Du bruker\rallerede den nyeste versjonen av programmet.",
    u"Filen %s ble ikke funnet eller er utilgjengelig.\r\rVil du hoppe over denne filen og fortsette "
    u"oppdateringen?",
    u"Feil",
    u"Laster ned %d av %d",
    u"Filstørrelse: %.1f KB",
    u"Overføringshastighet: %.1f KB/s",
    u"Beregnet gjenværende tid: %d:%.2d:%.2d",
    u"&Avbryt",
};

const UpgraderTexts kFinnish{
    u"fi",
    u"Ohjelman päivitysohjattu",
    u"Ohjelmasta %s on julkaistu uudempi versio.\n%s\nHaluatko päivittää versiosi uusimpaan?",
    u"&Kyllä",
    u"&Myöhemmin",
    u"Yhteys palvelimeen katkesi.\r\rMuodosta yhteys uudelleen ja yritä\rpäivittää ohjelma myöhemmin uudelleen.",
    u"Palvelimeen ei saada yhteyttä.\r\rTarkista Internet-yhteys\rja yritä päivittää ohjelma myöhemmin.",
    u"Palvelimelta ei löytynyt tietoja päivityksestä.\r\rYritä päivittää ohjelma myöhemmin.",
    u"Uudempaa versiota ei löytynyt. Käytät jo\rtämän ohjelman uusinta versiota.",
    u"Tiedostoa %s ei löytynyt tai se ei ole käytettävissä.\r\rOhitetaanko tämä tiedosto ja jatketaanko "
    u"päivitystä?",
    u"Virhe",
    u"Ladataan %d / %d",
    u"Tiedoston koko: %.1f kt",
    u"Siirtonopeus: %.1f kt/s",
    u"Arvioitu jäljellä oleva aika: %d:%.2d:%.2d",
    u"&Keskeytä",
};

const UpgraderTexts kTurkish{
    u"tr",
    u"Uygulama güncelleme sihirbazı",
    u"%s uygulamasının yeni bir sürümü yayımlandı.\n%s\nSürümünüzü en son sürüme güncellemek istiyor musunuz?",
    u"&Evet",
    u"&Daha sonra",
    u"Uzak sunucuyla bağlantı kesildi.\r\rLütfen bağlantıyı yeniden kurun ve bu yazılımı\rdaha sonra tekrar "
    u"güncellemeyi deneyin.",
    u"Uzak sunucuya ulaşılamıyor.\r\rLütfen İnternet bağlantınızı denetleyin\rve bu yazılımı daha sonra "
    u"güncellemeyi deneyin.",
    u"Sunucuda güncelleme hakkında bilgi bulunamadı.\r\rLütfen bu yazılımı daha sonra güncellemeyi deneyin.",
    u"Daha yeni bir sürüm bulunamadı. Bu programın\ren son sürümünü zaten kullanıyorsunuz.",
    u"%s dosyası bulunamadı veya erişilemiyor.\r\rBu dosya atlanıp güncellemeye devam edilsin mi?",
    u"Hata",
    u"İndiriliyor: %d / %d",
    u"Dosya boyutu: %.1f KB",
    u"Aktarım hızı: %.1f KB/sn",
    u"Tahmini kalan süre: %d:%.2d:%.2d",
    u"&Durdur",
};

const UpgraderTexts kGreek{
    u"el",
    u"Οδηγός ενημέρωσης εφαρμογής",
    u"Κυκλοφόρησε νεότερη έκδοση του %s.\n%s\nΘέλετε να ενημερώσετε την έκδοσή σας στην πιο πρόσφατη;",
    u"&Ναι",
    u"&Αργότερα",
    u"Η σύνδεση με τον διακομιστή χάθηκε.\r\rΑποκαταστήστε τη σύνδεση και δοκιμάστε\rξανά την ενημέρωση "
    u"αργότερα.",
    u"Ο διακομιστής δεν είναι προσβάσιμος.\r\rΕλέγξτε τη σύνδεσή σας στο Διαδίκτυο\rκαι δοκιμάστε την "
    u"ενημέρωση αργότερα.",
    u"Δεν βρέθηκαν πληροφορίες για την ενημέρωση στον διακομιστή.\r\rΔοκιμάστε την ενημέρωση αργότερα.",
    u"Δεν βρέθηκε νεότερη έκδοση. Χρησιμοποιείτε ήδη\rτην πιο πρόσφατη έκδοση αυτού του προγράμματος.",
    u"Το αρχείο %s δεν βρέθηκε ή δεν είναι προσβάσιμο.\r\rΝα παραλειφθεί αυτό το αρχείο και να συνεχιστεί η "
    u"ενημέρωση;",
    u"Σφάλμα",
    u"Λήψη %d από %d",
    u"Μέγεθος αρχείου: %.1f KB",
    u"Ταχύτητα μεταφοράς: %.1f KB/s",
    u"Εκτιμώμενος χρόνος που απομένει: %d:%.2d:%.2d",
    u"&Διακοπή",
};

const UpgraderTexts kJapanese{
    u"ja",
    u"アプリケーション更新ウィザード",
    u"%s の新しいバージョンがリリースされました。\n%s\nお使いのバージョンを最新版に更新しますか？",
    u"はい(&Y)",
    u"後で(&L)",
    u"リモート サーバーとの接続が切断されました。\r\r接続を回復してから、\r後でもう一度このソフトウェアを更新してください。",
    u"リモート ホストに接続できません。\r\rインターネット接続を確認して、\r後でこのソフトウェアを更新してください。",
    u"サーバー上に更新情報が見つかりませんでした。\r\r後でもう一度このソフトウェアを更新してください。",
    u"新しいバージョンは見つかりませんでした。\r既にこのプログラムの最新バージョンをお使いです。",
    u"ファイル %s が見つからないか、アクセスできません。\r\rこのファイルをスキップして更新を続行しますか？",
    u"エラー",
    u"ダウンロード中 %d / %d",
    u"ファイル サイズ：%.1f KB",
    u"転送速度：%.1f KB/秒",
    u"推定残り時間：%d:%.2d:%.2d",
    u"中止(&A)",
};

const UpgraderTexts kKorean{
    u"ko",
    u"응용 프로그램 업데이트 마법사",
    u"%s의 새 버전이 출시되었습니다.\n%s\n현재 버전을 최신 버전으로 업데이트하시겠습니까?",
    u"예(&Y)",
    u"나중에(&L)",
    u"원격 서버와의 연결이 끊어졌습니다.\r\r연결을 복구한 후\r나중에 이 소프트웨어를 다시 업데이트하십시오.",
    u"원격 호스트에 연결할 수 없습니다.\r\r인터넷 연결을 확인한 후\r나중에 이 소프트웨어를 업데이트하십시오.",
    u"서버에서 업데이트 정보를 찾을 수 없습니다.\r\r나중에 이 소프트웨어를 업데이트하십시오.",
    u"새 버전을 찾을 수 없습니다. 이미 이 프로그램의\r최신 버전을 사용하고 있습니다.",
    u"%s 파일을 찾을 수 없거나 액세스할 수 없습니다.\r\r이 파일을 건너뛰고 업데이트를 계속하시겠습니까?",
    u"오류",
    u"다운로드 중 %d / %d",
    u"파일 크기: %.1f KB",
    u"전송 속도: %.1f KB/초",
    u"예상 남은 시간: %d:%.2d:%.2d",
    u"중단(&A)",
};

// Windows primary language identifiers.
constexpr uint16_t kLangChinese = 0x04, kLangCzech = 0x05, kLangDanish = 0x06, kLangGerman = 0x07,
                   kLangGreek = 0x08, kLangSpanish = 0x0A, kLangFinnish = 0x0B, kLangFrench = 0x0C,
                   kLangHungarian = 0x0E, kLangItalian = 0x10, kLangJapanese = 0x11, kLangKorean = 0x12,
                   kLangDutch = 0x13, kLangNorwegian = 0x14, kLangPolish = 0x15, kLangPortuguese = 0x16,
                   kLangRomanian = 0x18, kLangRussian = 0x19, kLangSlovak = 0x1B, kLangSwedish = 0x1D,
                   kLangTurkish = 0x1F, kLangUkrainian = 0x22;

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
    case kLangRussian: return kRussian;
    case kLangUkrainian: return kUkrainian;
    case kLangPolish: return kPolish;
    case kLangCzech: return kCzech;
    case kLangSlovak: return kSlovak;
    case kLangHungarian: return kHungarian;
    case kLangRomanian: return kRomanian;
    case kLangSwedish: return kSwedish;
    case kLangDanish: return kDanish;
    // Bokmål (1) and Nynorsk (2) alike.
    case kLangNorwegian: return kNorwegian;
    case kLangFinnish: return kFinnish;
    case kLangTurkish: return kTurkish;
    case kLangGreek: return kGreek;
    case kLangJapanese: return kJapanese;
    case kLangKorean: return kKorean;
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
