#pragma once
// The program's shared services for a part under test, from the fakes the
// test gives, in any order; each one it does not give is a spare fake that
// nothing reads. Services(store, clock, locale, sound) suits the clock
// tick, which never opens a file or a box.

#include <type_traits>

#include "common/app_services.h"
#include "common/memory_store.h"
#include "support/fake_clock.h"
#include "support/fake_services.h"
#include "support/memory_files.h"

namespace pw::test {

namespace detail {
template <class Wanted, class Given>
Wanted* PickService(Given& given, Wanted* current) {
    if constexpr (std::is_convertible_v<Given*, Wanted*>)
        return &given;
    else
        return current;
}
}  // namespace detail

template <class... Given>
AppServices Services(Given&... given) {
    static Events unread;
    static MemoryStore store;
    static FakeClock clock;
    static const Locale locale = Locale::EnGB();
    static MemoryFileSystem files;
    static FakeSound sound(unread);
    static FakeMessageBoxes boxes(unread);
    static FakeShell shell(unread);
    auto pick = [&](auto* spare) {
        ((spare = detail::PickService(given, spare)), ...);
        return spare;
    };
    return {*pick(static_cast<Store*>(&store)),       *pick(static_cast<Clock*>(&clock)),
            *pick(&locale),                           *pick(static_cast<FileSystem*>(&files)),
            *pick(static_cast<Sound*>(&sound)),       *pick(static_cast<MessageBoxes*>(&boxes)),
            *pick(static_cast<Shell*>(&shell))};
}

}  // namespace pw::test
