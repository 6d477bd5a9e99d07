# bash completion for mailsift                             -*- shell-script -*-
#
# Installed as share/bash-completion/completions/mailsift, where
# bash-completion loads it on first use; it needs nothing from
# bash-completion and also works when sourced on its own.
#
# Completes the path arguments (files and directories), the short options and
# their "+" forms, the long keywords (with "=" where they take a value, and the
# value itself where it is a fixed word such as ON/OFF), and file or directory
# names for the options that take them.

# Long keywords as the usage text and the manual write them. A trailing "="
# means the keyword takes a value; keywords in _mailsift_optional take one
# optionally and are offered both ways.
_mailsift_long=(
    --access --ads --accounting= --logfile= --append --begin= --end=
    --comment= --crc --create --delimeter= --dirsize --exclude= --ext
    --file= --hashset= --greater= --bigger= --hash --md5 --immediate --jobs=
    --lessthan= --smaller= --level= --nameafter --newer= --younger= --quote
    --older= --before= --output= --path= --pause --recurse --reset --reverse
    --sequence --sha1 --sha --sha256 --sha384 --sha512 --showat --streams
    --utf --variable --width= --verbose --source= --help --version
    --format= --mbox
)
_mailsift_optional=(--ads --nameafter --recurse --reset --sequence --streams --verbose --mbox)
_mailsift_short=(-p -f -x -o -O -a -g -l -G -L -r -d -1 -t -T -z -Z -q -w -W
    -C -c -m -n -N -P -R -h '-?' -@ -.ini)
_mailsift_plus=(+a +o +O +r +1 +t +m +n +N +w +W)

# The option letter of a short-option argument that waits for the next
# argument as its value ("p", "f" and "x" take every following argument),
# or nothing.
_mailsift_pending_letter()
{
    local arg=$1 i c
    [[ $arg == [-+]?* && $arg != --* && $arg != -.ini ]] || return 0
    for ((i = 1; i < ${#arg}; i++)); do
        c=${arg:i:1}
        case $c in
            [1COGLdglowW])
                ((i == ${#arg} - 1)) && printf '%s' "$c"
                return 0
                ;;
            [tT])
                # An attached time letter is one character; options follow.
                if ((i == ${#arg} - 1)); then
                    printf '%s' "$c"
                    return 0
                fi
                ((i++))
                ;;
            [pfx])
                printf '%s' "$c"
                return 0
                ;;
            q)
                [[ ${arg:i+1:1} == [-+] ]] && return 0
                ;;
        esac
    done
}

_mailsift()
{
    local line=${COMP_LINE:0:COMP_POINT}
    local -a args
    read -r -a args <<<"$line"
    local word=
    if [[ $line != *[[:space:]] && ${#args[@]} -gt 1 ]]; then
        word=${args[${#args[@]} - 1]}
        args=("${args[@]:0:${#args[@]}-1}")
    fi
    local nargs=${#args[@]} prev=${args[${#args[@]} - 1]}

    # Readline replaces only the text after the last word-break character
    # ("=" and ":" among them); candidates are whole arguments and lose the
    # part before it at the end.
    local i keep=
    for ((i = ${#word} - 1; i >= 0; i--)); do
        if [[ $COMP_WORDBREAKS == *"${word:i:1}"* ]]; then
            keep=${word:0:i+1}
            break
        fi
    done

    local -a cands=()
    local files= dirs= value= c

    local pending=
    ((nargs > 1)) && pending=$(_mailsift_pending_letter "$prev")
    local last_option= j
    for ((j = nargs - 1; j >= 1; j--)); do
        if [[ ${args[j]} == [-+]* ]]; then
            last_option=${args[j]}
            break
        fi
    done

    if [[ -n $pending && $pending != [pfx] ]]; then
        # The separate value of the option letter just before.
        value=$word
        case $pending in
            [oO]) files=1; [[ stdout == "$value"* ]] && cands+=(stdout) ;;
            1) files=1 ;;
            [tT]) for c in a c w; do [[ $c == "$value"* ]] && cands+=("$c"); done ;;
        esac
    elif [[ $word == --*=* ]]; then
        local key=${word%%=*}
        value=${word#*=}
        local -a words=()
        case ${key,,} in
            --rec* | --res* | --str* | --ver* | --mbo*) words=(ON OFF) ;;
            --del*) words=(pipe) ;;
            --form*) words=(csv jsonl plain) ;;
            --acc* | --log* | --out* | --sour*) files=1 ;;
            --path*) dirs=1 ;;
        esac
        for c in "${words[@]}"; do
            [[ $c == "$value"* ]] && cands+=("$key=$c")
        done
    elif [[ $word == [-+]* ]]; then
        local -a pool
        if [[ $word == --* ]]; then
            pool=("${_mailsift_long[@]}")
            for c in "${_mailsift_optional[@]}"; do pool+=("$c="); done
        elif [[ $word == +* ]]; then
            pool=("${_mailsift_plus[@]}")
        elif [[ $word == - ]]; then
            pool=("${_mailsift_short[@]}" "${_mailsift_long[@]}")
        else
            pool=("${_mailsift_short[@]}")
        fi
        for c in "${pool[@]}"; do
            [[ $c == "$word"* ]] && cands+=("$c")
        done
    elif [[ -z $last_option ]]; then
        # Path arguments, before the first option: directories or files.
        files=1
        value=$word
    elif [[ $(_mailsift_pending_letter "$last_option") == p ]]; then
        dirs=1
        value=$word
    fi

    if [[ -n $files || -n $dirs ]]; then
        local head=${word:0:${#word}-${#value}}
        local flag=-f
        [[ -n $dirs ]] && flag=-d
        while IFS= read -r c; do
            cands+=("$head$c")
        done < <(compgen "$flag" -- "$value")
        compopt -o filenames 2>/dev/null
    fi

    COMPREPLY=()
    for c in "${cands[@]}"; do
        COMPREPLY+=("${c#"$keep"}")
    done
    if [[ ${#COMPREPLY[@]} -eq 1 && ${COMPREPLY[0]} == *= ]]; then
        compopt -o nospace 2>/dev/null
    fi
    return 0
}

complete -F _mailsift mailsift
