ptf ~
~     n      ~
