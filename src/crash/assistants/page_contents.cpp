#include "crash/assistants/page_contents.h"

#include <functional>
#include <memory>
#include <string>

namespace roadsum {
namespace {

// Calls `visit` with every page and each of its items that hold what a user enters.
void for_each_entry(const INVAssistant& assistant, const std::function<void(INVForm&, INVItem&)>& visit) {
    for (int f = 0; f < assistant.FormCount(); ++f) {
        const std::shared_ptr<INVForm> form = assistant.Form(f);
        for (int i = 0; i < form->ItemCount(); ++i) {
            const std::shared_ptr<INVItem> item = form->Item(i);
            if (item->Kind() == NVItemKind::edit || item->Kind() == NVItemKind::check_box) visit(*form, *item);
        }
    }
}

std::string one_line(const std::string& text) {
    std::string line;
    for (char c : text) {
        if (c == '\r') continue;
        line += c == '\n' ? ' ' : c;
    }
    return line;
}

}  // namespace

void FillFromPageCache(INVAssistant& assistant, const INXSettings& report) {
    for_each_entry(assistant, [&](INVForm& form, INVItem& item) {
        const std::optional<CachedPageItem> cached = report.PageItem(form.Name(), item.Name());
        if (!cached) return;
        if (auto* edit = dynamic_cast<INVEdit*>(&item))
            edit->SetText(cached->text);
        else if (auto* box = dynamic_cast<INVCheckBox*>(&item))
            box->SetChecked(cached->checked);
    });
}

void StoreInPageCache(const INVAssistant& assistant, INXSettings& report) {
    for_each_entry(assistant, [&](INVForm& form, INVItem& item) {
        CachedPageItem value;
        if (auto* edit = dynamic_cast<INVEdit*>(&item))
            value.text = edit->Text();
        else if (auto* box = dynamic_cast<INVCheckBox*>(&item))
            value.checked = box->Checked();
        report.StorePageItem(form.Name(), item.Name(), value);
    });
}

void PutAssistantIntoReport(const INVAssistant& assistant, INXFields& header, INXFields& sections) {
    for_each_entry(assistant, [&](INVForm& form, INVItem& item) {
        if (form.ModalResult() != mrContinue || item.OutputName().empty()) return;
        if (auto* box = dynamic_cast<INVCheckBox*>(&item)) {
            header.Add(item.OutputName(), box->Checked() ? "yes" : "no");
        } else if (auto* edit = dynamic_cast<INVEdit*>(&item)) {
            if (item.OutputType() == nvoOwnSection && edit->Lines() >= 2)
                sections.Add(item.OutputName(), edit->Text());
            else
                header.Add(item.OutputName(), one_line(edit->Text()));
        }
    });
}

}  // namespace roadsum
