#include "text/config_listing.h"

#include "model/device_models.h"
#include "text/config_view.h"

namespace {

QString ModelText(const ConfigImage& image, int32_t family)
{
    const auto value = [&image](NamedField f) { return FieldValue(Field(f), image); };
    if (const auto row = FindDeviceModel(uint8_t(value(NamedField::InputModules)),
                                         uint8_t(value(NamedField::RelayModules)),
                                         uint8_t(value(NamedField::WindowCount)), family)) {
        const DeviceModel& m = DeviceModels[*row];
        return QStringLiteral("%1 (%2)").arg(QString::fromUtf8(m.Name),
                                             QString::fromUtf8(m.Composition));
    }
    return QStringLiteral("нет такой модели (модулей входов %1, реле %2, окон %3, семейство %4)")
        .arg(value(NamedField::InputModules))
        .arg(value(NamedField::RelayModules))
        .arg(value(NamedField::WindowCount))
        .arg(family);
}

}  // namespace

Listing ListConfiguration(const ConfigImage& image, int32_t familyCode)
{
    Listing listing;
    for (const ViewSection& section : ConfigView(image)) {
        ListingSection s{section.Info->Title, {}};
        if (section.Info->Section == FieldSection::Device)
            s.Fields << ListingField{"Модель", ModelText(image, familyCode), {}}
                     << ListingField{"Семейство", FamilyName(familyCode), {}};
        for (const ViewLine& line : section.Lines)
            s.Fields << ListingField{line.Label, TextWithNote(line), line.Rows};
        listing << s;
    }
    return listing;
}

QString ListingText(const Listing& listing)
{
    QString text;
    for (const ListingSection& s : listing) {
        text += QStringLiteral("[%1]\n").arg(s.Title);
        for (const ListingField& f : s.Fields)
            text += QStringLiteral("%1: %2\n").arg(f.Label, f.Text);
    }
    return text;
}
