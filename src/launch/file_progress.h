#pragma once

// The file count of a long step (a file set going in, a roll-back), handed to the prompter often
// enough for a progress line and rarely enough to cost nothing next to the file operations: the
// first and the last count, and one each time another hundredth of the files is done.

#include <cstddef>

#include "app/prompter.h"

namespace seewolf {

class FileProgress {
  public:
    FileProgress(Prompter& prompter, std::size_t total) noexcept
        : m_prompter(prompter), m_total(total), m_stride(total / 100 > 0 ? total / 100 : 1) {
        if (m_total > 0) {
            m_prompter.ShowProgress(0, m_total);
        }
    }

    // `done` files of the step are done; counts that go back, or beyond the total, are not shown.
    void Update(std::size_t done) noexcept {
        if (done < m_next || done > m_total) {
            return;
        }
        if (done == m_total || done - m_shown >= m_stride) {
            m_shown = done;
            m_next = done == m_total ? m_total + 1 : done + 1;
            m_prompter.ShowProgress(done, m_total);
        }
    }

  private:
    Prompter& m_prompter;
    std::size_t m_total;
    std::size_t m_stride;
    std::size_t m_shown = 0;
    std::size_t m_next = 1;
};

}  // namespace seewolf
