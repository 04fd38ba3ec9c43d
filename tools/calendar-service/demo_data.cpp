#include "demo_data.h"

#include <cstdint>

namespace tessel::service {

namespace {

constexpr int64_t kHour = 3600;
constexpr int64_t kDay = kSecondsPerDay;

EventRecord Timed(std::string id, std::string title, WallSeconds start, int64_t minutes, std::string where = {}) {
    EventRecord event;
    event.id = std::move(id);
    event.title = std::move(title);
    event.start = start;
    event.end = start + minutes * 60;
    event.where = std::move(where);
    return event;
}

EventRecord AllDay(std::string id, std::string title, WallSeconds firstDay, int days) {
    EventRecord event;
    event.id = std::move(id);
    event.title = std::move(title);
    event.start = firstDay;
    event.end = firstDay + days * kDay;
    event.allDay = true;
    return event;
}

AccountRecord DemoAccount(const std::string& domain) {
    AccountRecord account;
    account.email = "demo@" + domain;
    account.password = kDemoPassword;
    account.name = "Demo User";
    return account;
}

// A small xorshift generator: the same sequence on every machine.
class Sequence {
public:
    uint64_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }
    int Below(int limit) { return static_cast<int>(Next() % static_cast<uint64_t>(limit)); }

private:
    uint64_t state_ = 0x9E3779B97F4A7C15ULL;
};

}  // namespace

ServiceData MakeDemoData(const std::string& domain, WallSeconds now, int zoneMinutes) {
    const WallSeconds today = DayOf(now);
    // The reminder event starts on a whole minute at least 15 minutes ahead.
    const WallSeconds soon = (now + 15 * 60 + 59) / 60 * 60;

    CalendarRecord work{"work", "Work", "#2952A3", {}};
    EventRecord standup = Timed("standup", "Team stand-up", today - 14 * kDay + 9 * kHour + 30 * 60, 15, "Room 2");
    standup.repeat = Repeat::Weekly;
    standup.count = 8;
    standup.content = "Weekly round of the team.";
    work.events.push_back(standup);
    EventRecord call = Timed("reminder", "Call the office (reminder test)", soon, 30);
    call.content = "Starts 15 minutes after the service started, so a reminder shows.";
    work.events.push_back(call);
    work.events.push_back(Timed("lunch", "Lunch with Zoë", today + 12 * kHour + 30 * 60, 60, "Café Élysée"));
    work.events.push_back(Timed("review", "Quarterly review", today + 3 * kDay + 14 * kHour, 90, "Room 4.2"));
    work.events.push_back(Timed("accounts", "Überstunden-Abrechnung", today - 5 * kDay + 16 * kHour, 60));
    work.events.push_back(AllDay("conference", "Conference in Zürich", today + 7 * kDay, 3));
    work.events.push_back(Timed("late", "Late release check", today + 9 * kDay + 23 * kHour, 90));

    CalendarRecord home{"home", "Home", "#B1365F", {}};
    home.events.push_back(Timed("dentist", "Dentist", today + 2 * kDay + 8 * kHour + 15 * 60, 45));
    home.events.push_back(Timed("cafe", "Café with Anaïs", today + 18 * kHour, 90, "Rue de la Paix"));
    EventRecord yoga = Timed("yoga", "Yoga", today + kDay + 7 * kHour, 60);
    yoga.repeat = Repeat::Daily;
    yoga.count = 5;
    home.events.push_back(yoga);
    home.events.push_back(Timed("cinema", "Cinema: 東京物語", today + 5 * kDay + 20 * kHour, 135));
    home.events.push_back(AllDay("moving", "Moving day", today - 3 * kDay, 1));
    home.events.push_back(Timed("dinner", "Dinner at Grandma's", today - 32 * kDay + 19 * kHour, 120));

    CalendarRecord days{"days", "Birthdays & Holidays", "#0D7813", {}};
    days.events.push_back(AllDay("grandma", "Grandma's birthday", today, 1));
    days.events.push_back(AllDay("summer", "Holiday \"Sommerfest\"", today + 12 * kDay, 1));
    days.events.push_back(AllDay("krakow", "Trip to Kraków", today + 20 * kDay, 4));
    days.events.push_back(AllDay("spring", "Frühlingsfest ☼", today + 35 * kDay, 1));
    days.events.push_back(AllDay("far", "Far in the future", today + 150 * kDay, 1));

    // A title with markup characters and accents, for the account dialog's list. Its events fall
    // on days that already have some, so the days marked in the grid stay the same.
    CalendarRecord cafe{"cafe", "Café & Termine", "#A32929", {}};
    cafe.events.push_back(Timed("stammtisch", "Stammtisch im Café", today + 3 * kDay + 19 * kHour, 120));
    cafe.events.push_back(Timed("roastery", "Rösterei-Führung", today - 5 * kDay + 10 * kHour, 60));

    ServiceData data;
    data.zoneMinutes = zoneMinutes;
    data.updated = today;
    AccountRecord account = DemoAccount(domain);
    account.calendars = {work, home, days, cafe};
    data.accounts.push_back(std::move(account));
    return data;
}

ServiceData MakeGeneratedData(const std::string& domain, int events, int calendars, WallSeconds today,
                              int zoneMinutes) {
    static const char* const kColors[] = {"#2952A3", "#B1365F", "#0D7813", "#AB8B00", "#865A5A",
                                          "#5229A3", "#1B887A", "#A32929", "#7A367A", "#4E5D6C"};
    static const char* const kWords[] = {"Meeting", "Review", "Call", "Lunch", "Workshop",
                                         "Trip", "Training", "Café", "Planung", "Übergabe"};
    ServiceData data;
    data.zoneMinutes = zoneMinutes;
    data.updated = DayOf(today);
    AccountRecord account = DemoAccount(domain);
    for (int c = 0; c < calendars; ++c) {
        account.calendars.push_back(CalendarRecord{"cal" + std::to_string(c + 1), "Calendar " + std::to_string(c + 1),
                                                   kColors[c % 10], {}});
    }
    Sequence random;
    for (int i = 0; i < events; ++i) {
        const WallSeconds day = DayOf(today) + (random.Below(365) - 182) * kDay;
        const std::string id = "g" + std::to_string(i + 1);
        const std::string title = std::string(kWords[random.Below(10)]) + " " + std::to_string(i + 1);
        EventRecord event = random.Below(8) == 0
                                ? AllDay(id, title, day, 1 + random.Below(3))
                                : Timed(id, title, day + (7 + random.Below(13)) * kHour + 15 * 60 * random.Below(4),
                                        30 * (1 + random.Below(6)));
        if (random.Below(50) == 0) {
            event.repeat = Repeat::Weekly;
            event.count = 2 + random.Below(6);
        }
        account.calendars[static_cast<size_t>(i % calendars)].events.push_back(std::move(event));
    }
    data.accounts.push_back(std::move(account));
    return data;
}

}  // namespace tessel::service
