// The framework host's side: answers an analysis's framework questions, read from a socket,
// with the report sections run over a framework of this process.
#pragma once

namespace ambrel::host {

// Serves the questions read from Fd until the analysis closes it; returns the exit status.
// The first frame says which framework answers (the platform's, or a scripted world).
int ServeFrameworkQuestions(int Fd);

}  // namespace ambrel::host
